// Figures for the player core: list load and write at 40,000 entries, adding 1,000 MP3 files,
// and the time from PlaySelected to the first sample handed to the output device.
//
// Usage: core_bench <work folder> <folder of MP3 files> <WAV file> <MP3 file>
// The output device is SDL's disk driver writing into a FIFO that a thread of this program
// drains, so "handed to the device" is the moment a non-silent sample comes out of the FIFO.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioLib.h"
#include "core/Player.h"
#include "core/PlayerView.h"

using namespace vemla;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// CPU time of this thread: the machine may be shared, so wall time alone can mislead.
double CpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

long RssKb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// A view that keeps the rows as a list box would, and lets the selection be set.
class BenchView : public core::NullPlayerView {
 public:
  void AppendRow(const std::string& t) override { rows.push_back(t); }
  void AppendRows(const std::vector<std::string>& t) override {
    rows.insert(rows.end(), t.begin(), t.end());
  }
  std::vector<std::string> rows;
};

std::string MakeList(const fs::path& dir) {
  std::string s = "#EXTM3U\r\n";
  for (int i = 0; i < 40000; ++i) {
    std::string n = std::to_string(i);
    s += "#EXTINF:" + std::to_string(120 + i % 300) + ",Artista " + std::to_string(i % 700) +
         " - Canci\xC3\xB3n n\xC3\xBAmero " + n + "\r\n";
    s += "/home/usuario/M\xC3\xBAsica/Artista " + std::to_string(i % 700) + "/\xC3\x81lbum " +
         std::to_string(i % 40) + "/" + n + " - Canci\xC3\xB3n n\xC3\xBAmero " + n + ".mp3\r\n";
  }
  fs::path p = dir / "big.m3u";
  std::ofstream(p, std::ios::binary) << s;
  return p.string();
}

void BenchLists(const fs::path& dir) {
  std::string list = MakeList(dir);
  auto audio = audio::createAudioLib();
  {
    // The entries alone, with a view that keeps no rows: measured first, in a fresh heap.
    core::Player p(*audio);
    p.SetDefaults((dir / "VemlaPlayer").string());
    long before = RssKb();
    p.LoadPlaylistFile(list);
    long after = RssKb();
    std::printf("RSS for 40000 entries alone: before %ld KB, after %ld KB: %.1f MB\n", before,
                after, (after - before) / 1024.0);
  }
  std::vector<double> load, write, loadCpu, writeCpu;
  for (int run = 0; run < 9; ++run) {
    BenchView view;
    view.rows.reserve(40000);
    core::Player p(*audio);
    p.SetView(&view);
    p.SetDefaults((dir / "VemlaPlayer").string());
    double c0 = CpuMs();
    auto t0 = Clock::now();
    p.LoadPlaylistFile(list);
    load.push_back(Ms(Clock::now() - t0));
    loadCpu.push_back(CpuMs() - c0);
    if (p.List.EntryCount != 40000) std::printf("!! loaded %d entries\n", p.List.EntryCount);
    c0 = CpuMs();
    t0 = Clock::now();
    std::string err = p.WritePlaylistFile((dir / "out.m3u").string());
    write.push_back(Ms(Clock::now() - t0));
    writeCpu.push_back(CpuMs() - c0);
    if (!err.empty()) std::printf("!! write: %s\n", err.c_str());
  }
  std::printf(
      "LoadPlaylistFile 40000 entries: median %.1f ms (min %.1f, max %.1f), CPU median %.1f ms\n",
      Median(load), *std::min_element(load.begin(), load.end()),
      *std::max_element(load.begin(), load.end()), Median(loadCpu));
  std::printf(
      "WritePlaylistFile 40000 entries: median %.1f ms (min %.1f, max %.1f), CPU median %.1f ms\n",
      Median(write), *std::min_element(write.begin(), write.end()),
      *std::max_element(write.begin(), write.end()), Median(writeCpu));
}

void BenchAdd(const fs::path& mp3Dir) {
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(mp3Dir)) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  auto audio = audio::createAudioLib();
  BenchView view;
  core::Player p(*audio);
  p.SetView(&view);
  p.SetDefaults("/tmp/VemlaPlayer");
  auto t0 = Clock::now();
  for (const auto& f : files) p.AddFileEntry(f);
  double ms = Ms(Clock::now() - t0);
  std::printf("AddFileEntry %zu MP3 files: %.0f ms, %.0f files/s (%d added, first row \"%s\")\n",
              files.size(), ms, files.size() / (ms / 1000.0), p.List.EntryCount,
              p.List.EntryCount ? p.List.Entries[1].DisplayLine.c_str() : "");
}

std::atomic<bool> armed{false};
std::atomic<bool> quit{false};
std::atomic<int64_t> firstSampleNs{0};

void DrainFifo(const std::string& fifo) {
  int fd = ::open(fifo.c_str(), O_RDONLY);
  if (fd < 0) return;
  ::fcntl(fd, F_SETPIPE_SZ, 4096);
  std::vector<unsigned char> buf(4096);
  while (!quit) {
    ssize_t n = ::read(fd, buf.data(), buf.size());
    if (n <= 0) break;
    if (armed &&
        std::any_of(buf.begin(), buf.begin() + n, [](unsigned char b) { return b != 0; })) {
      firstSampleNs = Clock::now().time_since_epoch().count();
      armed = false;
    }
  }
  ::close(fd);
}

void BenchFirstSample(const fs::path& dir, const std::vector<std::string>& songs) {
  std::string fifo = (dir / "device.fifo").string();
  ::unlink(fifo.c_str());
  if (::mkfifo(fifo.c_str(), 0600) != 0) {
    std::printf("!! no FIFO\n");
    return;
  }
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  setenv("SDL_DISKAUDIOFILE", fifo.c_str(), 1);
  std::thread reader(DrainFifo, fifo);
  {
    auto audio = audio::createAudioLib();
    core::NullPlayerView view;
    core::Player p(*audio);
    p.SetView(&view);
    p.SetDefaults((dir / "VemlaPlayer").string());
    if (!p.InitAudioDevice()) {
      std::printf("!! no audio device\n");
      quit = true;
      reader.join();
      return;
    }
    for (const auto& s : songs) p.AddFileEntry(s);
    for (int i = 0; i < p.List.EntryCount; ++i) {
      std::vector<double> times;
      for (int run = 0; run < 21; ++run) {
        p.StopPlayback();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // let silence flow out
        view.SelectRow(i);
        firstSampleNs = 0;
        armed = true;
        auto t0 = Clock::now();
        p.PlaySelected();
        while (firstSampleNs == 0 && Clock::now() - t0 < std::chrono::seconds(2)) {
          std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        if (firstSampleNs != 0) {
          times.push_back((firstSampleNs - t0.time_since_epoch().count()) / 1e6);
        }
      }
      std::printf("PlaySelected -> first sample at the device (%s): median %.1f ms over %zu runs\n",
                  p.List.Entries[i + 1].FormatName.c_str(), Median(times), times.size());
    }
    p.StopPlayback();
    quit = true;
    p.FreeAudioDevice();
  }
  reader.join();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s WORKDIR MP3DIR WAV MP3\n", argv[0]);
    return 2;
  }
  fs::path dir = argv[1];
  BenchLists(dir);
  if (std::getenv("CORE_BENCH_LISTS_ONLY")) return 0;
  BenchAdd(argv[2]);
  BenchFirstSample(dir, {argv[3], argv[4]});
  return 0;
}
