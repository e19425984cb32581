#pragma once
// Musepack stream headers (SV7 and SV8): the exact sample count, which the container layer
// only knows rounded down to whole blocks.
#include <cstdint>
#include <string>

namespace vemla::audio {

class MusepackHeader {
 public:
  // Samples per channel from the header at the start of `bytes`; 0 when it is not a valid one.
  static int64_t sampleCount(const std::string& bytes);
  // Same, reading the head of a file.
  static int64_t sampleCountOfFile(const std::string& path);
};

}  // namespace vemla::audio
