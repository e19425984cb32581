#include "audio/LibraryVersions.h"

#include <SDL2/SDL.h>

extern "C" {
#include <cdio/cdio.h>
#include <cdio/paranoia/paranoia.h>
#include <cdio/version.h>
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
}

namespace vemla::audio {

namespace {
// libcdio's texts add the build host after a blank ("2.1.0 x86_64-pc-linux-gnu").
std::string firstWord(const char* text) {
  std::string s = text ? std::string(text) : std::string();
  s = s.substr(0, s.find(' '));
  return s.empty() ? std::string("?") : s;
}
}  // namespace

std::string packedVersionText(unsigned packed) {
  return std::to_string(packed >> 16) + "." + std::to_string((packed >> 8) & 0xFF) + "." +
         std::to_string(packed & 0xFF);
}

std::vector<LibraryVersion> libraryVersions() {
  SDL_version sdl{};
  SDL_GetVersion(&sdl);
  return {
      {"FFmpeg", firstWord(av_version_info())},
      {"libavformat", packedVersionText(avformat_version())},
      {"libavcodec", packedVersionText(avcodec_version())},
      {"libavutil", packedVersionText(avutil_version())},
      {"libswresample", packedVersionText(swresample_version())},
      {"SDL", std::to_string(sdl.major) + "." + std::to_string(sdl.minor) + "." +
                  std::to_string(sdl.patch)},
      {"libcdio", firstWord(cdio_version_string)},
      {"libcdio-paranoia", firstWord(cdio_paranoia_version())},
  };
}

}  // namespace vemla::audio
