#pragma once
// The data the visualisers draw from, as the audio layer delivers it for one tick.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vemla::vis {

// 2048 32-bit words, of which the audio layer fills the first 512 (2048 bytes of 16-bit
// interleaved samples): for stereo, word k holds frame k (left in the low half, right in the
// high half); for mono, two consecutive samples.
constexpr int kWaveWords = 2048;
constexpr int kWaveBytesFetched = 2048;
using WaveData = std::array<uint32_t, kWaveWords>;

// 512 FFT magnitudes, plus one spare value the layer never writes.
constexpr int kSpectrumValues = 513;
using SpectrumData = std::array<float, kSpectrumValues>;

// Both halves of a word added: -65536..65534. Words past the buffer read as silence, so an
// enlarged sample step never reads outside it.
inline int sampleSum(const WaveData& data, long index) {
  if (index < 0 || index >= kWaveWords) return 0;
  const uint32_t w = data[static_cast<size_t>(index)];
  return static_cast<int16_t>(w & 0xFFFFu) + static_cast<int16_t>(w >> 16);
}

// Trunc(v / 131070.0 * factor): a full-scale signal on both channels gives about +-factor/2.
inline int deflection(int v, int factor) {
  const double d = v / 131070.0 * factor;
  if (!(d > -2e9 && d < 2e9)) return d < 0 ? -2000000000 : 2000000000;
  return static_cast<int>(d);
}

}  // namespace vemla::vis
