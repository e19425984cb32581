#pragma once
// The versions of the audio libraries this program runs on, asked of the libraries themselves
// at run time (not the headers it was built with), for the About window.
#include <string>
#include <vector>

namespace vemla::audio {

struct LibraryVersion {
  std::string name;     // "FFmpeg", "libavformat", "SDL", "libcdio", ...
  std::string version;  // "5.1.4", "59.27.100", ...
};

// In a fixed order: FFmpeg (its release), libavformat, libavcodec, libavutil, libswresample,
// SDL, libcdio, libcdio-paranoia. A library that gives no text is listed with "?".
std::vector<LibraryVersion> libraryVersions();

// "59.27.100" from a packed FFmpeg library version (major << 16 | minor << 8 | micro).
std::string packedVersionText(unsigned packed);

}  // namespace vemla::audio
