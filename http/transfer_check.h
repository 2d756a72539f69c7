#pragma once
// The rule every socket transfer result is checked against.
#include <cstdint>
#include <string>

namespace zq {

inline constexpr char kServerUnreachable[] = "Não foi possível acessar o servidor";
inline constexpr char kTimedOut[] = "Não foi possível acessar o servidor (tempo excedido)";
inline constexpr char kIncomplete[] = "Não foi possível acessar o servidor (acesso incompleto)";

// r is the transfer's result, expected the byte count it had to move (-1:
// any positive count). Raises the user-facing text; label names the step.
void CheckTransfer(int32_t r, int32_t expected, const char* label);

}  // namespace zq
