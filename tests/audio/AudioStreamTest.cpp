// The decode-ahead ring between a stream's worker and the device callback, driven without a
// device: every decoded frame must reach the callback once, in order, with no gap, whether
// the sink drains in real time (the worker refills in bursts) or takes whatever is there.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "audio/Stream.h"

namespace vemla::audio {
namespace {

// Stereo frames whose left sample is the frame's index (mod 32768) and right its negation.
class CountingDecoder : public Decoder {
 public:
  explicit CountingDecoder(int64_t frames) : frames_(frames) {}
  int rate() const override { return 44100; }
  int channels() const override { return 2; }
  int64_t lengthFrames() const override { return frames_; }
  uint32_t originalBits() const override { return 16; }
  int read(int16_t* out, int maxFrames) override {
    int n = static_cast<int>(std::min<int64_t>(maxFrames, frames_ - pos_));
    for (int i = 0; i < n; ++i, ++pos_) {
      out[2 * i] = static_cast<int16_t>(pos_ & 0x7fff);
      out[2 * i + 1] = static_cast<int16_t>(-(pos_ & 0x7fff));
    }
    return n;
  }
  bool seek(int64_t frame) override {
    pos_ = frame;
    return true;
  }

 private:
  const int64_t frames_;
  int64_t pos_ = 0;
};

struct RingCase {
  const char* name;
  bool realTime;
};

class StreamRingTest : public ::testing::TestWithParam<RingCase> {};

TEST_P(StreamRingTest, EveryDecodedFrameReachesTheCallbackOnceInOrder) {
  // Not a multiple of the decoder's chunks, so the ring is seldom left with room for a whole one.
  constexpr int kBuffer = 1000;
  // Long enough to drain the ring to its refill mark and refill it more than once.
  constexpr int64_t kFrames = 66150;  // 1.5 s
  Stream s(std::make_unique<CountingDecoder>(kFrames), 0, 44100, GetParam().realTime);
  s.prebuffer(2048, 1000);
  s.setState(Stream::kPlaying);

  std::vector<int32_t> acc(2 * kBuffer);
  std::vector<int16_t> scratch(2 * kBuffer);
  int64_t next = 0;  // index of the next frame expected
  bool ended = false;
  auto start = std::chrono::steady_clock::now();
  for (uint64_t index = 1; !ended && index < 1000; ++index) {
    if (GetParam().realTime) {
      // One device buffer's worth of time between callbacks, as a sound card takes it.
      std::this_thread::sleep_until(start + std::chrono::microseconds(index * kBuffer * 1000000 / 44100));
    }
    // A worker held up by a busy machine would leave a gap, which is not what is checked here.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (s.starved(kBuffer) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::fill(acc.begin(), acc.end(), 0);
    ended = s.mix(acc.data(), scratch.data(), kBuffer, index);
    for (int i = 0; i < kBuffer; ++i) {
      if (next == kFrames) {
        ASSERT_EQ(acc[2 * i], 0) << "after the end, frame " << i << " of callback " << index;
        continue;
      }
      ASSERT_EQ(acc[2 * i], next & 0x7fff) << "callback " << index << ", frame " << i;
      ASSERT_EQ(acc[2 * i + 1], -(next & 0x7fff));
      ++next;
    }
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(next, kFrames);
  EXPECT_EQ(s.state(), Stream::kEnded);
}

INSTANTIATE_TEST_SUITE_P(Sinks, StreamRingTest,
                         ::testing::Values(RingCase{"RealTime", true},
                                           RingCase{"DrainsAtOnce", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// What was heard, read back from the circular history: windows that lie before its wrap, across
// it, after it, and one reaching back past the first frame mixed (silence there).
TEST(StreamHistory, HeardWindowsAndPeaksAcrossTheWrap) {
  constexpr int kBuffer = 1000;
  Stream s(std::make_unique<CountingDecoder>(1000000), 0, 44100, false);
  s.prebuffer(2048, 1000);
  s.setState(Stream::kPlaying);
  std::vector<int32_t> acc(2 * kBuffer);
  std::vector<int16_t> scratch(2 * kBuffer);
  auto mixOnce = [&](uint64_t index) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (s.starved(kBuffer) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::fill(acc.begin(), acc.end(), 0);
    s.mix(acc.data(), scratch.data(), kBuffer, index);
  };

  mixOnce(1);
  std::vector<int16_t> out(2 * 1024);
  ASSERT_EQ(s.copyHeard(out.data(), 1024, 0), 1024);
  for (int i = 0; i < 1024; ++i) {
    ASSERT_EQ(out[2 * i], i < 24 ? 0 : i - 24) << "before the first frame, at " << i;
  }

  // 34 buffers: the history (32768 frames) has wrapped once, inside the 33rd.
  for (uint64_t index = 2; index <= 34; ++index) mixOnce(index);
  const int64_t heard = 34 * kBuffer;
  for (int64_t latency : {0, 208, 700, 1231, 1232, 5000}) {
    ASSERT_EQ(s.copyHeard(out.data(), 1024, latency), 1024);
    const int64_t first = heard - latency - 1024;
    int peak = 0;
    for (int i = 0; i < 1024; ++i) {
      const int expected = static_cast<int>((first + i) & 0x7fff);
      ASSERT_EQ(out[2 * i], expected) << "latency " << latency << ", frame " << i;
      ASSERT_EQ(out[2 * i + 1], -expected) << "latency " << latency << ", frame " << i;
      peak = std::max(peak, expected);
    }
    const uint32_t level = s.level(1024, latency);
    EXPECT_EQ(level & 0xffff, static_cast<uint32_t>(peak)) << latency;
    EXPECT_EQ(level >> 16, static_cast<uint32_t>(peak)) << latency;
  }
}

}  // namespace
}  // namespace vemla::audio
