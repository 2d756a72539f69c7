// The chunked-body decoder fed block by block. Byte 0 gives the block size;
// the rest is the body as the server sends it. The outcome may not depend on
// where the blocks are cut.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/memory_stream.h"
#include "fuzz_check.h"
#include "http/chunked_decoder.h"
#include "http/reply_limits.h"

namespace {

struct Decoded {
  bool failed = false;
  std::string message;
  std::string body;
  bool done = false;
  size_t consumed = 0;  // input bytes used in all
};

Decoded Decode(const uint8_t* data, size_t size, size_t block) {
  zq::ChunkedDecoder decoder;
  zq::MemoryStream out;
  Decoded d;
  try {
    for (size_t at = 0; at < size && !decoder.Done(); at += block) {
      const size_t n = std::min(block, size - at);
      const zq::ChunkedDecoder::Result r = decoder.Feed(data + at, n, out);
      FUZZ_CHECK(r.consumed <= n, "consumed more than given");
      FUZZ_CHECK(r.consumed == n || decoder.Done(), "input left over before the last chunk");
      FUZZ_CHECK(r.written <= r.consumed, "more body bytes than input bytes");
      d.consumed += r.consumed;
    }
  } catch (const zq::Error& e) {
    d.failed = true;
    d.message = e.what();
  }
  d.done = decoder.Done();
  d.body = out.Text();
  FUZZ_CHECK(out.Position() == out.Size(), "the output position is not at its end");
  FUZZ_CHECK(out.Size() <= static_cast<size_t>(zq::kMaxAnnouncedLength), "the body passed the cap");
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t block = size_t{data[0]} + 1;
  const Decoded cut = Decode(data + 1, size - 1, block);
  const Decoded whole = Decode(data + 1, size - 1, size);
  FUZZ_CHECK(cut.failed == whole.failed && cut.message == whole.message, "the failure depends on the blocks");
  // A failure may come after some body bytes were written; only an outcome
  // without failure is compared whole.
  if (!cut.failed) {
    FUZZ_CHECK(cut.done == whole.done && cut.consumed == whole.consumed, "the end depends on the blocks");
    FUZZ_CHECK(cut.body == whole.body, "the body depends on the blocks");
  }
  if (whole.done) FUZZ_CHECK(whole.body.size() <= whole.consumed, "more body than input");
  return 0;
}
