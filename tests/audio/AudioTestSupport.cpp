#include "AudioTestSupport.h"

#include <chrono>
#include <cstdlib>

#include "support/Fixtures.h"

namespace fs = std::filesystem;
using vemla::test::run;
using vemla::test::tempDir;

namespace vemla::audio::test {

void EndCounter::proc(uint32_t, Handle, uint32_t, void* user) {
  auto* self = static_cast<EndCounter*>(user);
  if (std::this_thread::get_id() != self->caller) self->onOtherThread = true;
  std::lock_guard<std::mutex> lock(self->m);
  ++self->count;
  self->cv.notify_all();
}

bool EndCounter::waitFor(int n, double seconds) {
  std::unique_lock<std::mutex> lock(m);
  return cv.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return count >= n; });
}

std::unique_ptr<AudioLib> makeLib(const fs::path& output) {
  if (output.empty()) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  } else {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
  }
  auto lib = createAudioLib();
  if (!lib->Init(1, 44100, 0)) return nullptr;
  return lib;
}

std::vector<int16_t> readPcm(const fs::path& path) {
  std::string bytes = vemla::test::readFile(path);
  std::vector<int16_t> pcm(bytes.size() / 2);
  for (size_t i = 0; i < pcm.size(); ++i) {
    pcm[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                  static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  }
  return pcm;
}

namespace {
std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

// A WAV to feed the encoders that take no lavfi input.
fs::path sourceWav(double seconds, bool chirp, int rate, int channels, double hz) {
  std::string name = "src-" + std::to_string(seconds) +
                     (chirp ? std::string("-chirp-") : "-" + std::to_string(hz) + "-") +
                     std::to_string(rate) + "-" + std::to_string(channels) + ".wav";
  fs::path out = tempDir() / name;
  if (fs::exists(out)) return out;
  // The chirp sweeps 200 Hz upwards, so no stretch of it repeats: its position can be found.
  std::string expr =
      chirp ? "0.5*sin(2*PI*(200*t+150*t*t))" : "0.5*sin(2*PI*" + std::to_string(hz) + "*t)";
  // One expression per channel: letting ffmpeg upmix mono would lower the level by 3 dB.
  std::string exprs = expr;
  for (int c = 1; c < channels; ++c) exprs += "|" + expr;
  std::string cmd =
      "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i 'aevalsrc=" + exprs +
      ":s=" + std::to_string(rate) + ":d=" + std::to_string(seconds) + "' -c:a pcm_s16le " + q(out);
  return run(cmd) == 0 ? out : fs::path();
}
}  // namespace

fs::path makeFixture(const std::string& kind, double seconds, bool chirp, int rate, int channels,
                     double hz) {
  fs::path wav = sourceWav(seconds, chirp, rate, channels, hz);
  if (wav.empty()) return {};
  std::string base = wav.stem().string() + "." + kind;
  fs::path out = tempDir() / base;
  if (fs::exists(out)) return out;
  std::string ff = "ffmpeg -nostdin -hide_banner -loglevel error -y -i " + q(wav) + " ";
  std::string cmd;
  if (kind == "wav") return wav;
  if (kind == "ogg")
    cmd = ff + "-c:a libvorbis " + q(out);
  else if (kind == "mp3")
    cmd = ff + "-c:a libmp3lame -b:a 128k " + q(out);
  else if (kind == "mp2")
    cmd = ff + "-c:a mp2 -b:a 192k " + q(out);
  else if (kind == "mpg")
    cmd = ff + "-c:a mp2 -f mpeg " + q(out);
  else if (kind == "wma")
    cmd = ff + "-c:a wmav2 " + q(out);
  else if (kind == "aac")
    cmd = ff + "-c:a aac -f adts " + q(out);
  else if (kind == "mp4")
    cmd = ff + "-c:a aac " + q(out);
  else if (kind == "ac3")
    cmd = ff + "-c:a ac3 " + q(out);
  else if (kind == "alac")
    cmd = ff + "-c:a alac -f ipod " + q(out);
  else if (kind == "m4a")
    cmd = ff + "-c:a alac " + q(out);
  else if (kind == "tta")
    cmd = ff + "-c:a tta " + q(out);
  else if (kind == "wv")
    cmd = ff + "-c:a wavpack " + q(out);
  else if (kind == "flac")
    cmd = ff + "-c:a flac " + q(out);
  else if (kind == "spx") {
    if (!vemla::test::haveTool("speexenc")) return {};
    cmd = "speexenc --quiet " + q(wav) + " " + q(out);
  } else if (kind == "mpc") {
    if (!vemla::test::haveTool("mpcenc")) return {};
    cmd = "mpcenc --silent --overwrite " + q(wav) + " " + q(out);
  } else if (kind == "ape") {
    if (!vemla::test::haveTool("jmac")) return {};
    cmd = "jmac c2000 " + q(wav) + " " + q(out) + " || jmac c2 " + q(wav) + " " + q(out);
  } else {
    return {};
  }
  return run(cmd) == 0 && fs::exists(out) ? out : fs::path();
}

std::vector<int16_t> referencePcm(const fs::path& file) {
  fs::path out = tempDir() / (file.filename().string() + ".ref.raw");
  if (!fs::exists(out)) {
    std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y -i " + q(file) +
                      " -f s16le -ac 2 -ar 44100 " + q(out);
    if (run(cmd) != 0) return {};
  }
  return readPcm(out);
}

}  // namespace vemla::audio::test
