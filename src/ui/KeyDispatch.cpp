#include "ui/KeyDispatch.h"

namespace vemla::ui {

namespace {
constexpr int kQtKeyShift = 0x01000020;  // Qt::Key_Shift; kept here so the table needs no Qt
}

KeyCommand KeyDispatch::commandFor(int key) {
  if (key == kQtKeyShift) return KeyCommand::TogglePlaylist;
  if (key >= 'a' && key <= 'z') key -= 'a' - 'A';
  switch (key) {
    case 'X':
      return KeyCommand::PlaySelected;
    case 'B':
      return KeyCommand::PlayNext;
    case 'Z':
      return KeyCommand::PlayPrevious;
    case 'C':
      return KeyCommand::TogglePause;
    case 'V':
      return KeyCommand::StopPlayback;
    case 'R':
      return KeyCommand::ToggleRepeat;
    case 'S':
      return KeyCommand::ToggleRandom;
    case 'A':
      return KeyCommand::VolumeDown;
    case 'D':
      return KeyCommand::VolumeUp;
    case 'Q':
      return KeyCommand::SeekBack;
    case 'E':
      return KeyCommand::SeekForward;
    default:
      return KeyCommand::None;
  }
}

bool KeyDispatch::DispatchKey(int key) const {
  const KeyCommand c = commandFor(key);
  if (c == KeyCommand::None) return false;
  if (handler_) handler_(c);
  return true;
}

}  // namespace vemla::ui
