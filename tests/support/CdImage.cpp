#include "support/CdImage.h"

#include <cstdio>

#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace vemla::test {

namespace {
std::string sine(int hz, int sectors) {
  fs::path out = tempDir() / ("cd-tone-" + std::to_string(hz) + "-" + std::to_string(sectors));
  if (!fs::exists(out)) {
    const double seconds = sectors / 75.0;
    std::string cmd =
        "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
        "'sine=frequency=" +
        std::to_string(hz) + ":sample_rate=44100:duration=" + std::to_string(seconds) +
        "' -ac 2 -f s16le '" + out.string() + "'";
    if (run(cmd) != 0) return {};
  }
  std::string bytes = readFile(out);
  bytes.resize(static_cast<size_t>(sectors) * 2352, '\0');  // whole sectors, whatever ffmpeg made
  return bytes;
}

std::string msf(long sector) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", sector / 4500, sector / 75 % 60, sector % 75);
  return buf;
}
}  // namespace

fs::path makeCdImage(const std::string& name, const std::vector<CdImageTrack>& tracks) {
  std::string bin, cue = "FILE \"" + name + ".bin\" BINARY\n";
  long sector = 0;
  int n = 0;
  for (const CdImageTrack& t : tracks) {
    char head[64];
    std::snprintf(head, sizeof head, "  TRACK %02d %s\n", ++n, t.data ? "MODE1/2352" : "AUDIO");
    cue += head;
    if (!t.title.empty()) cue += "    TITLE \"" + t.title + "\"\n";
    cue += "    INDEX 01 " + msf(sector) + "\n";
    if (t.data) {
      bin += std::string(static_cast<size_t>(t.sectors) * 2352, '\0');
    } else {
      std::string tone = sine(t.hz, t.sectors);
      if (tone.empty()) return {};
      bin += tone;
    }
    sector += t.sectors;
  }
  writeFile(name + "/" + name + ".bin", bin);
  return writeFile(name + "/" + name + ".cue", cue);
}

}  // namespace vemla::test
