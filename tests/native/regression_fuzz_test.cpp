// Cases the fuzz targets found, kept as plain tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/memory_stream.h"
#include "http/reply_reader.h"

namespace zq {
namespace {

// Hands out the given blocks one per read; after the last one the server
// keeps the connection open, so every further read times out.
class BlockStream : public SocketStream {
 public:
  explicit BlockStream(std::vector<std::string> blocks) : blocks_(std::move(blocks)) {}
  int32_t Read(void* buffer, int32_t count) override {
    ++reads;
    if (next_ == blocks_.size()) return -1;
    const std::string& b = blocks_[next_++];
    EXPECT_LE(b.size(), static_cast<size_t>(count)) << "the test's block does not fit the read";
    std::memcpy(buffer, b.data(), b.size());
    return static_cast<int32_t>(b.size());
  }
  int32_t Write(const void*, int32_t) override { return -1; }
  int reads = 0;

 private:
  std::vector<std::string> blocks_;
  size_t next_ = 0;
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
  ReplyReader reader(stream, buffer, response, 3600000, progress, host, path);
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
    EXPECT_EQ(stream.reads, 2);
  }
}

}  // namespace
}  // namespace zq
