#pragma once
// 512 magnitudes of a 1024-point real FFT of the mono mix of stereo 16-bit frames, Hann
// windowed and scaled so that a full-scale sine peaks near 1.0.
#include <cstddef>
#include <cstdint>

struct AVTXContext;

namespace vemla::audio {

class SpectrumAnalyzer {
 public:
  static constexpr int kSize = 1024;
  SpectrumAnalyzer();
  ~SpectrumAnalyzer();
  SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
  SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

  // `frames`: kSize stereo frames. Writes kSize / 2 floats to `out`. False when no FFT is
  // available (then `out` is all zeros).
  bool analyze(const int16_t* frames, float* out);

 private:
  AVTXContext* tx_ = nullptr;
  void (*fn_)(AVTXContext*, void*, void*, std::ptrdiff_t) = nullptr;
  float* window_ = nullptr;
  float* in_ = nullptr;
  float* spectrum_ = nullptr;  // kSize / 2 + 1 complex values
};

}  // namespace vemla::audio
