#pragma once
// Reading the settings file once at start-up and writing it once at exit.
//
// LoadSettings applies what the file holds to the player and, through SettingsWindows, to the
// windows: positions, the mute glyph, the repeat and random dots, the start selection.
// SaveSettings always stops playback first; unless NoSave it then writes the settings file and,
// only when that worked, the autosave list. Exit-time errors are silent (false is returned).
#include <string>

#include "core/SettingsValues.h"

namespace vemla::core {

class Player;

// The windows as the settings see them. Positions are the windows' left/top in screen pixels.
class SettingsWindows {
 public:
  struct Pos {
    int left = 0;
    int top = 0;
  };
  virtual ~SettingsWindows() = default;
  virtual Pos MainWindowPos() const = 0;
  virtual void MoveMainWindow(int left, int top) = 0;
  virtual Pos MiniWindowPos() const = 0;
  virtual void MoveMiniWindow(int left, int top) = 0;
  virtual Pos PlaylistWindowPos() const = 0;
  virtual void MovePlaylistWindow(int left, int top) = 0;
  // `B_silencio` shows "b_silencio2.bmp" when muted, "b_silencio.bmp" otherwise.
  virtual void SetMuteGlyph(bool muted) = 0;
  virtual void ShowRepeatDots(bool on) = 0;
  virtual void ShowRandomDots(bool on) = 0;
  // The visualiser panel follows the restored FxType and FxMode (drawing mode, check marks).
  virtual void ShowVisualiser(int fxType, int fxMode) {
    (void)fxType;
    (void)fxMode;
  }
};

// The values as they stand now: the defaults of keys that fall back on "the current value".
SettingsValues CurrentSettingsValues(const Player& player, const SettingsWindows& windows);

void LoadSettings(Player& player, SettingsWindows& windows);
void LoadSettings(Player& player, SettingsWindows& windows, const std::string& path);
bool SaveSettings(Player& player, const SettingsWindows& windows);
bool SaveSettings(Player& player, const SettingsWindows& windows, const std::string& path);

}  // namespace vemla::core
