#pragma once
// The one keyboard table of the player. The main window, its glyph buttons, the playlist list
// and the mini window all hand their pressed keys to the same KeyDispatch (owned by TVemlaMain,
// reached through TVemlaMain::keyDispatch()).
//
// Keys are Qt key codes (QKeyEvent::key()); letters match whatever the Shift or Caps Lock
// state, so both Qt::Key_X and a lower-case 'x' play. Shift alone shows or hides the playlist.
#include <functional>

namespace vemla::ui {

enum class KeyCommand {
  None,
  PlaySelected,    // X
  PlayNext,        // B
  PlayPrevious,    // Z
  TogglePause,     // C
  StopPlayback,    // V
  ToggleRepeat,    // R  (B_repetirClick)
  ToggleRandom,    // S  (B_RandomClick)
  TogglePlaylist,  // Shift (B_PlaylistClick)
  VolumeDown,      // A  ("Bajar Volumen", knob -5)
  VolumeUp,        // D  ("Subir Volumen", knob +5)
  SeekBack,        // Q  ("Atras 5 segundos", knob -16)
  SeekForward,     // E  ("Adelante 5 segundos", knob +16)
};

class KeyDispatch {
 public:
  using Handler = std::function<void(KeyCommand)>;

  explicit KeyDispatch(Handler handler = {}) : handler_(std::move(handler)) {}
  void setHandler(Handler handler) { handler_ = std::move(handler); }

  static KeyCommand commandFor(int key);

  // Acts on one pressed key; returns false when the key means nothing to the player.
  bool DispatchKey(int key) const;

 private:
  Handler handler_;
};

}  // namespace vemla::ui
