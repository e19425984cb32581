// What hostile or odd files cost the window thread: for each file, in a child process of its own,
// the entry-information read done when a file is added, the stream open done when it is
// started, then a far seek and decoding it to its end (a stream's worker does those), with
// bytes read and the child's peak resident memory.
// Usage: untrusted_bench <file>...
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioLib.h"
#include "audio/FfmpegDecoder.h"
#include "playlist/EntryInfo.h"
#include "playlist/Tcancion.h"

using namespace vemla::audio;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// CPU time of the calling thread: what the call costs, whatever else the machine is doing.
double cpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Timed {
  double wall = 0;
  double cpu = 0;
};

template <typename F>
Timed timed(F&& f) {
  auto t = Clock::now();
  double c = cpuMs();
  f();
  return Timed{msSince(t), cpuMs() - c};
}

void measure(const std::string& path) {
  auto lib = createAudioLib();  // opening needs no device
  // Warm the libraries up so the first file does not pay for their start.
  vemla::playlist::Tcancion warm;
  vemla::playlist::ReadEntryInfo(*lib, "/nonexistent.mp3", warm);

  vemla::playlist::Tcancion entry;
  int info = -1;
  Timed infoT = timed([&] { info = vemla::playlist::ReadEntryInfo(*lib, path, entry); });

  Handle h = 0;
  Timed openT = timed([&] { h = lib->StreamCreateFile(false, path, 0, 0, 0); });
  if (h) lib->StreamFree(h);

  OpenReport report;
  std::unique_ptr<FfmpegDecoder> d;
  timed([&] { d = FfmpegDecoder::open(path, DecoderLimits(), &report); });
  Timed decodeT;
  Timed seekT;
  double seconds = 0;
  int64_t bytes = report.bytesRead;
  if (d) {
    // A far seek (a stream's worker does it): 90 % of the stated length, and a frame read there.
    std::vector<int16_t> frame(16);
    seekT = timed([&] {
      d->seek(d->lengthFrames() * 9 / 10);
      d->read(frame.data(), 1);
    });
    d->seek(0);
    std::vector<int16_t> buffer(4096 * 8);
    int64_t frames = 0;
    decodeT = timed([&] {
      while (int n = d->read(buffer.data(), 4096)) frames += n;
    });
    seconds = static_cast<double>(frames) / d->rate();
    bytes = d->bytesRead();
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf(
      "%-18s add: %-4s %6.1f ms (cpu %5.1f)  start: %-4s %6.1f ms (cpu %5.1f)  "
      "seek 90%%: %6.1f ms (cpu %6.1f)  decode: %6.1f ms (cpu %6.1f) %6.1f s  "
      "read %5.2f MB  peak RSS %5.1f MB\n",
      path.substr(path.rfind('/') + 1).c_str(), info == 0 ? "ok" : "fail", infoT.wall, infoT.cpu,
      h ? "ok" : "fail", openT.wall, openT.cpu, seekT.wall, seekT.cpu, decodeT.wall, decodeT.cpu,
      seconds, bytes / 1048576.0, ru.ru_maxrss / 1024.0);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <file>...\n", argv[0]);
    return 2;
  }
  std::printf(
      "Per file, in a child process: the window thread's calls (entry information read\n"
      "on add, stream open on start), wall and thread CPU time; then a far seek and\n"
      "decoding to the end, as a stream's worker does; bytes read, peak memory.\n");
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
      measure(argv[i]);
      _exit(0);
    }
    int ws = 0;
    if (child < 0 || waitpid(child, &ws, 0) != child || !WIFEXITED(ws) || WEXITSTATUS(ws)) {
      std::printf("%s: measurement failed\n", argv[i]);
      status = 1;
    }
  }
  return status;
}
