#pragma once
// Shared pieces of the audio layer tests: a library on SDL's disk or dummy driver, an end
// counter, fixtures made with real encoders and the raw output read back.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioLib.h"

namespace vemla::audio::test {

// Counts end syncs and remembers the thread they came on.
struct EndCounter {
  std::atomic<int> count{0};
  std::atomic<bool> onOtherThread{false};
  std::thread::id caller = std::this_thread::get_id();
  std::mutex m;
  std::condition_variable cv;
  static void proc(uint32_t sync, Handle channel, uint32_t data, void* user);
  // Waits until at least `n` syncs arrived or `seconds` passed.
  bool waitFor(int n, double seconds);
};

// A library whose device is SDL's disk driver writing to `output` at full speed, or SDL's
// dummy driver (real time) when `output` is empty.
std::unique_ptr<AudioLib> makeLib(const std::filesystem::path& output = {});

// Interleaved stereo 16-bit samples of a raw file.
std::vector<int16_t> readPcm(const std::filesystem::path& path);

// A file of the given format holding `seconds` of a half-scale sine of `hz` (a chirp from
// 200 Hz upwards when `chirp`), the same on every channel; empty when the format's encoder is
// missing. `kind` is the file extension in lower case.
std::filesystem::path makeFixture(const std::string& kind, double seconds, bool chirp = false,
                                  int rate = 44100, int channels = 2, double hz = 1000);

// The stream's whole output decoded by the ffmpeg tool: stereo 16-bit at 44100 Hz.
std::vector<int16_t> referencePcm(const std::filesystem::path& file);

}  // namespace vemla::audio::test
