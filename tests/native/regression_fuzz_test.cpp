// Cases the fuzz targets found, kept as plain tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/memory_stream.h"
#include "http/reply_reader.h"
#include "tests/doubles/scripted_stream.h"

namespace zq {
namespace {

// Hands out the given blocks one per read; after the last one the server
// keeps the connection open, so every further read times out.
struct BlockStream {
  explicit BlockStream(const std::vector<std::string>& blocks) {
    for (const std::string& b : blocks) script.reads.push_back(test::Data(b));
    script.silent_at_end = true;
    script.before_read = [this](const void*, int32_t count, int32_t) {
      if (!script.reads.empty()) {
        EXPECT_LE(script.reads.front().data.size(), static_cast<size_t>(count))
            << "the test's block does not fit the read";
      }
    };
  }
  BlockStream(const BlockStream&) = delete;
  BlockStream& operator=(const BlockStream&) = delete;
  test::Connection script;
  test::ScriptedStream stream{script};
};

std::string Frame(const std::string& payload) {
  std::string f("\x50\x0C\xBA\x40", 4);
  const auto n = static_cast<uint32_t>(payload.size());
  for (int i = 0; i < 4; ++i) f += static_cast<char>((n >> (8 * i)) & 0xFF);
  return f + payload;
}

std::string Receive(BlockStream& stream) {
  ReceiveBuffer buffer;
  MemoryStream response;
  EventSlot<int32_t> progress;
  const std::string host = "127.0.0.1", path = "/BinZQ/a.cab";
  ReplyReader reader(stream.stream, buffer, response, 3600000, progress, host, path);
  reader.DoReceive();
  return response.Text();
}

// A frame whose first block is shorter than its marker: the marker is
// recognised once it is whole, instead of the reader waiting for a header
// block that a frame never has (it timed out on a kept-open connection).
TEST(RegressionFuzz, FrameWhoseMarkerArrivesInPieces) {
  const std::string frame = Frame("split frame");
  for (size_t first : {1u, 2u, 3u}) {
    SCOPED_TRACE(first);
    BlockStream stream({frame.substr(0, first), frame.substr(first)});
    EXPECT_EQ(Receive(stream), "split frame");
    EXPECT_EQ(stream.script.reads_made, 2);
  }
}

}  // namespace
}  // namespace zq
