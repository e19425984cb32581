// Audio layer figures: opening a long MP3 and reading its length, ChannelPlay to the first
// sample handed to the device, decoding CPU against the ffmpeg tool, memory per open stream and
// CPU of a playing stream.
// Usage: audio_bench <5-minute.mp3> <5-minute.flac>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioLib.h"
#include "audio/FfmpegDecoder.h"
#include "audio/SdlAudioLib.h"

using namespace vemla::audio;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

double processCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec +
         ru.ru_stime.tv_usec / 1e6;
}

double childrenCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_CHILDREN, &ru);
  return ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec +
         ru.ru_stime.tv_usec / 1e6;
}

long rssKb() {
  std::ifstream f("/proc/self/statm");
  long size = 0, resident = 0;
  f >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the stream workers do, on this thread: decode the whole file to 16-bit frames.
double layerDecodeCpu(const std::string& path) {
  auto d = FfmpegDecoder::open(path);
  if (!d) return -1;
  std::vector<int16_t> buf(1024 * static_cast<size_t>(d->channels()));
  double t0 = threadCpuSeconds();
  while (d->read(buf.data(), 1024) > 0) {
  }
  return threadCpuSeconds() - t0;
}

// Every thread of the process while one stream plays to its end on the untimed disk sink.
double playedCpu(const std::string& path) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  auto lib = createAudioLib();
  double result = -1;
  if (lib->Init(1, 44100, 0)) {
    Handle h = lib->StreamCreateFile(false, path, 0, 0, 0);
    double t0 = processCpuSeconds();
    lib->ChannelPlay(h, false);
    auto t = Clock::now();
    while (lib->ChannelIsActive(h) == kPlaying && msSince(t) < 60000) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result = processCpuSeconds() - t0;
    lib->Free();
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return result;
}

double ffmpegDecodeCpu(const std::string& path) {
  double before = childrenCpuSeconds();
  std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -threads 1 -i '" + path +
                    "' -f null - >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return -1;
  return childrenCpuSeconds() - before;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <5-minute.mp3> <5-minute.flac>\n", argv[0]);
    return 2;
  }
  const std::string mp3 = argv[1], flac = argv[2];
  setenv("SDL_AUDIODRIVER", "dummy", 0);

  // 1. Open and read the length.
  {
    auto lib = createAudioLib();
    std::vector<double> times;
    double seconds = 0;
    for (int i = 0; i < 41; ++i) {
      auto t = Clock::now();
      Handle h = lib->StreamCreateFile(false, mp3, 0, 0, 0);
      seconds = lib->ChannelBytes2Seconds(h, lib->ChannelGetLength(h));
      times.push_back(msSince(t));
      lib->StreamFree(h);
    }
    std::printf("open 5-min MP3 + length: median %.2f ms (target < 5 ms), length %.2f s\n",
                median(times), seconds);
  }

  // 2. ChannelPlay to the first sample handed to the device (SDL dummy driver).
  {
    auto lib = std::make_unique<SdlAudioLib>();
    if (!lib->Init(1, 44100, 0)) {
      std::printf("no audio device\n");
      return 1;
    }
    std::vector<double> delays;
    for (int i = 0; i < 21; ++i) {
      Handle h = lib->StreamCreateFile(false, mp3, 0, 0, 0);
      lib->ChannelPreBuf(h, 20);
      lib->ChannelPlay(h, false);
      auto t = Clock::now();
      while (lib->startDelayNs(h) == 0 && msSince(t) < 1000) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      delays.push_back(lib->startDelayNs(h) / 1e6);
      lib->StreamFree(h);
      std::this_thread::sleep_for(std::chrono::milliseconds(7 * (i % 5)));
    }
    std::printf("ChannelPlay -> first sample at the device: median %.2f ms (target < 30 ms)\n",
                median(delays));

    // 5. CPU of one playing stream, in real time.
    Handle h = lib->StreamCreateFile(false, mp3, 0, 0, 0);
    lib->ChannelPlay(h, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    double cpu0 = processCpuSeconds();
    auto t = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    double share = (processCpuSeconds() - cpu0) / (msSince(t) / 1000) * 100;
    std::printf("CPU of a playing MP3 stream: %.2f %% of one core (target < 2 %%)\n", share);
    lib->StreamFree(h);

    // 4. Memory per open stream, opened and decoding ahead (as a playing stream is).
    const int n = 20;
    std::vector<Handle> handles;
    long before = rssKb();
    for (int i = 0; i < n; ++i) {
      Handle s = lib->StreamCreateFile(false, (i % 2) ? flac : mp3, 0, 0, 0);
      lib->ChannelPreBuf(s, 20);
      handles.push_back(s);
    }
    long after = rssKb();
    std::printf("memory per open stream (MP3/FLAC, buffered): %.0f KB (target < 2048 KB)\n",
                static_cast<double>(after - before) / n);
    for (Handle s : handles) lib->StreamFree(s);
    lib->Free();
  }

  // 3. Decoding CPU against the ffmpeg tool on the same files: the decoder as the stream
  // workers run it, and a whole stream played out on SDL's untimed disk sink (/dev/null).
  for (const std::string& f : {mp3, flac}) {
    double ours = layerDecodeCpu(f);
    double played = playedCpu(f);
    double theirs = ffmpegDecodeCpu(f);
    std::printf(
        "decode %s: layer %.3f s CPU (ratio %.2f), played out %.3f s CPU (ratio %.2f), "
        "ffmpeg -f null %.3f s CPU (target ratio <= 1.2)\n",
        f.substr(f.find_last_of('.') + 1).c_str(), ours, theirs > 0 ? ours / theirs : 0.0, played,
        theirs > 0 ? played / theirs : 0.0, theirs);
  }
  return 0;
}
