#pragma once
// Audio-CD images (BIN/CUE, raw 2352-byte sectors) made at test time from ffmpeg's sine.
#include <filesystem>
#include <string>
#include <vector>

namespace vemla::test {

struct CdImageTrack {
  int sectors = 75;   // 75 sectors = one second of CD audio
  int hz = 440;       // tone of an audio track
  bool data = false;  // a MODE1 data track (silence bytes)
  std::string title;  // CD-TEXT title, none when empty
};

// Writes <name>/<name>.bin and <name>/<name>.cue under tempDir(); returns the cue's path, or an
// empty path when ffmpeg failed.
std::filesystem::path makeCdImage(const std::string& name, const std::vector<CdImageTrack>& tracks);

}  // namespace vemla::test
