#include "audio/SpectrumAnalyzer.h"

#include <cmath>
#include <cstddef>
#include <cstring>

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

namespace vemla::audio {

SpectrumAnalyzer::SpectrumAnalyzer() {
  float scale = 1.0f;
  av_tx_fn fn = nullptr;
  if (av_tx_init(&tx_, &fn, AV_TX_FLOAT_RDFT, 0, kSize, &scale, 0) < 0) tx_ = nullptr;
  fn_ = fn;
  window_ = static_cast<float*>(av_malloc(sizeof(float) * kSize));
  in_ = static_cast<float*>(av_malloc(sizeof(float) * (kSize + 2)));
  spectrum_ = static_cast<float*>(av_malloc(sizeof(float) * (kSize + 2)));
  if (window_) {
    for (int i = 0; i < kSize; ++i) {
      window_[i] = 0.5f * (1.0f - std::cos(2.0f * static_cast<float>(M_PI) * i / kSize));
    }
  }
}

SpectrumAnalyzer::~SpectrumAnalyzer() {
  av_tx_uninit(&tx_);
  av_free(window_);
  av_free(in_);
  av_free(spectrum_);
}

bool SpectrumAnalyzer::analyze(const int16_t* frames, float* out) {
  std::memset(out, 0, sizeof(float) * kSize / 2);
  if (!tx_ || !window_ || !in_ || !spectrum_) return false;
  for (int i = 0; i < kSize; ++i) {
    float mono = (frames[2 * i] + frames[2 * i + 1]) / 65536.0f;
    in_[i] = mono * window_[i];
  }
  fn_(tx_, spectrum_, in_, sizeof(float));
  // A sine of amplitude A gives A * N / 4 at its bin through the Hann window.
  const float norm = 4.0f / kSize;
  for (int k = 0; k < kSize / 2; ++k) {
    float re = spectrum_[2 * k], im = spectrum_[2 * k + 1];
    out[k] = std::sqrt(re * re + im * im) * norm;
  }
  return true;
}

}  // namespace vemla::audio
