#pragma once
// A scripted audio layer: one stream whose state, samples, spectrum and levels a test sets.
#include <algorithm>
#include <array>
#include <cstring>

#include "support/StubAudioLib.h"

namespace vemla::test {

class FakeAudio : public StubAudioLib {
 public:
  static constexpr audio::Handle kStream = 7;

  int active = audio::kPlaying;
  uint32_t level = 0;
  int dataResult = 2048;  // what ChannelGetData reports; -1 plays a failed request
  std::array<uint32_t, 512> wave{};
  std::array<float, 512> fft{};
  int dataCalls = 0;

  int ChannelIsActive(audio::Handle h) override { return h == kStream ? active : audio::kStopped; }
  int ChannelGetData(audio::Handle h, void* buffer, uint32_t length) override {
    ++dataCalls;
    if (h != kStream || dataResult < 0) return -1;
    if (length == audio::kDataFft1024) {
      std::memcpy(buffer, fft.data(), static_cast<size_t>(std::min(dataResult, 2048)));
    } else {
      std::memcpy(buffer, wave.data(), static_cast<size_t>(std::min<int>(dataResult, length)));
    }
    return dataResult;
  }
  uint32_t ChannelGetLevel(audio::Handle h) override { return h == kStream ? level : 0xFFFFFFFFu; }
};

}  // namespace vemla::test
