#pragma once
// Limits and failure texts of the reply reader.
#include <cstdint>

namespace zq {

inline constexpr int64_t kMaxAnnouncedLength = 524288000;  // 500 MiB

inline constexpr char kMalformedChunks[] = "Não foi possível acessar o servidor (resposta fragmentada inválida)";
inline constexpr char kBodyTooLarge[] = "Não foi possível acessar o servidor (resposta grande demais)";
inline constexpr char kHeaderIncomplete[] = "Não foi possível acessar o servidor (cabeçalho da resposta incompleto)";

}  // namespace zq
