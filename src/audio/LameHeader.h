#pragma once
// The Xing/Info frame that LAME writes at the start of an MP3: frame count, encoder delay and
// padding give the exact sample count, which the container layer reports with the delay and
// padding still in.
#include <cstdint>
#include <string>

namespace vemla::audio {

class LameHeader {
 public:
  // Samples per channel of the MP3 whose start (ID3v2 tag included) is `bytes`; 0 when there
  // is no Xing/Info frame with a frame count and a LAME delay/padding field.
  static int64_t sampleCount(const std::string& bytes);
  // Same, reading the head of a file (enough to pass a tag of a few megabytes).
  static int64_t sampleCountOfFile(const std::string& path);
};

}  // namespace vemla::audio
