#pragma once
// Limits and failure texts of the reply reader.
#include <cstddef>
#include <cstdint>

namespace zq {

// The largest body: an announced length (Content-Length, frame length), the
// sum of the chunks, or what arrives until the server closes.
inline constexpr int64_t kMaxAnnouncedLength = 524288000;  // 500 MiB
// A chunk-size line (size and extensions), its CR LF not counted.
inline constexpr size_t kMaxChunkLine = 4096;
// All trailer lines after the last chunk together, line ends counted.
inline constexpr size_t kMaxChunkTrailers = 8192;
// The part of an error frame's payload that becomes the message.
inline constexpr size_t kMaxErrorText = 4096;

inline constexpr char kMalformedChunks[] = "Não foi possível acessar o servidor (resposta fragmentada inválida)";
inline constexpr char kBodyTooLarge[] = "Não foi possível acessar o servidor (resposta grande demais)";
inline constexpr char kHeaderIncomplete[] = "Não foi possível acessar o servidor (cabeçalho da resposta incompleto)";

}  // namespace zq
