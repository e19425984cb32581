// The program's entry points into SDL, which it does not link either: SDL's own dependencies
// (sound servers, Wayland, sample-rate conversion) cost more to load than the toolkit's start
// takes to reach the audio device. OpenSoundLibrary opens it beside that start; the first call
// below waits for it or opens it. Without SDL the device cannot be opened and the player says so.
// The tests link SDL directly and never see this file.
#include "app/LazySdl.h"

#include <SDL2/SDL.h>

#include "app/LazyLibrary.h"

namespace {

enum Lib { kSdl };

void* library() {
  static void* const handle = vemla::app::OpenLibraryNow("libSDL2-2.0.so.0");
  return handle;
}

void* resolve(Lib, const char* name) { return vemla::app::SymbolIn(library(), name); }

}  // namespace

VEMLA_FORWARD(kSdl, int, SDL_InitSubSystem, (Uint32 flags), (flags), -1)
VEMLA_FORWARD_VOID(kSdl, SDL_QuitSubSystem, (Uint32 flags), (flags))
VEMLA_FORWARD(kSdl, const char*, SDL_GetCurrentAudioDriver, (void), (), nullptr)
VEMLA_FORWARD(kSdl, SDL_AudioDeviceID, SDL_OpenAudioDevice,
              (const char* device, int iscapture, const SDL_AudioSpec* desired,
               SDL_AudioSpec* obtained, int allowed_changes),
              (device, iscapture, desired, obtained, allowed_changes), 0)
VEMLA_FORWARD_VOID(kSdl, SDL_CloseAudioDevice, (SDL_AudioDeviceID dev), (dev))
VEMLA_FORWARD_VOID(kSdl, SDL_PauseAudioDevice, (SDL_AudioDeviceID dev, int pause_on),
                   (dev, pause_on))
VEMLA_FORWARD_VOID(kSdl, SDL_LockAudioDevice, (SDL_AudioDeviceID dev), (dev))
VEMLA_FORWARD_VOID(kSdl, SDL_UnlockAudioDevice, (SDL_AudioDeviceID dev), (dev))

extern "C" void SDL_GetVersion(SDL_version* ver) {
  using GetVersion = decltype(&::SDL_GetVersion);
  static const auto fn = reinterpret_cast<GetVersion>(resolve(kSdl, "SDL_GetVersion"));
  if (fn) {
    fn(ver);
  } else if (ver) {
    SDL_VERSION(ver);  // the version built against, rather than none
  }
}

namespace vemla::app {

bool OpenSoundLibrary() { return library() != nullptr; }

}  // namespace vemla::app
