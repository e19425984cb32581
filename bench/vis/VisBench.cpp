// Time of one visualiser tick's drawing: one frame of each visualiser plus both level gauges
// moved to a new percentage, as the median over many frames of changing data.
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "vis/TCircleScope.h"
#include "vis/TGauge.h"
#include "vis/TOcilloScope.h"
#include "vis/TSpectrum.h"

using namespace vemla::vis;
using Clock = std::chrono::steady_clock;

// Counts heap allocations, to show that drawing a frame makes none.
static long allocations = 0;
void* operator new(std::size_t n) {
  ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  TOcilloScope osc(99, 35);
  TCircleScope circle(99, 35);
  circle.radius = 11;
  TSpectrum spectrum(99, 35);
  spectrum.columnWidth = 2;
  spectrum.peakColor = 0x00FFFF;
  TGauge gauge1(50, 13, 0, 330), gauge2(50, 13, 0, 330);
  gauge1.SetForeColor(0x800000);
  gauge1.SetBackColor(0x00FFFF);
  gauge2.SetForeColor(0x00FFFF);
  gauge2.SetBackColor(0x800000);

  // Loud music-like data that changes every frame, so every gauge repaints and the peaks move.
  WaveData wave{};
  SpectrumData fft{};
  std::vector<double> micros;
  micros.reserve(static_cast<size_t>(frames));
  unsigned checksum = 0;
  long frameAllocations = 0;
  for (int f = 0; f < frames; ++f) {
    for (int k = 0; k < 512; ++k) {
      const double s = std::sin(0.05 * k + f * 0.3) * 0.6 + std::sin(0.31 * k + f) * 0.3;
      const auto v = static_cast<uint16_t>(static_cast<int16_t>(s * 32767));
      wave[static_cast<size_t>(k)] = v | (static_cast<uint32_t>(v) << 16);
    }
    for (int i = 0; i < 512; ++i)
      fft[static_cast<size_t>(i)] =
          static_cast<float>(0.2 / (1 + i * 0.05) * (1 + std::sin(f * 0.7 + i)));
    const int left = (f * 977) % 32769, right = (f * 1531) % 32769;
    if (f % 2)
      spectrum.drawMode = 1;
    else
      spectrum.drawMode = 0;

    const long allocationsBefore = allocations;
    const auto t0 = Clock::now();
    checksum += osc.Draw(wave, 0, 18).constBits()[100];
    checksum += circle.Draw(wave, 50, 18).constBits()[200];
    checksum += spectrum.Draw(fft, 0, 0).constBits()[300];
    gauge1.SetProgress(332 - left / 100);
    gauge2.SetProgress(right / 100);
    const auto t1 = Clock::now();
    frameAllocations += allocations - allocationsBefore;
    micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  std::sort(micros.begin(), micros.end());
  const double median = micros[micros.size() / 2];
  const double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
  std::printf(
      "vis frame (oscilloscope + circle + spectrum + 2 gauges), %d frames: median %.1f us, "
      "p99 %.1f us (target < 200 us), heap allocations while drawing: %ld [%u]\n",
      frames, median, p99, frameAllocations, checksum & 1u);
  return 0;
}
