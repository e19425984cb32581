#pragma once
// What the settings file carries, read and written as plain values (no windows, no player).
//
// Reading: a missing key takes its default; a number that is not a whole decimal number
// within 32 bits also takes its default; yes/no compares exactly, so only "SI" means yes.
// Values that would break the player are mended on reading: the volume knob is kept on its
// track (220..295), the time mode is 1 or 2, the visualiser type 1..3, its mode 0..2.
#include <optional>
#include <string_view>

#include "core/Ini.h"

namespace vemla::core {

struct SettingsValues {
  int mainLeft = 332;
  int mainTop = 96;
  bool muted = false;
  int volume = 277;  // "VOLUMEN": the volume knob's left edge, or SavedVolume while muted
  bool repeat = false;
  bool random = false;
  int timeMode = 2;
  int fxType = 3;
  int fxMode = 0;
  int miniLeft = 0;
  int miniTop = 0;
  bool playlistVisible = true;
  int playlistLeft = 0;
  int playlistTop = 0;
  bool playlistDocked = true;
  int entryCount = 0;  // written only
  int select = 0;      // CurrentEntry - 1 when written; the row asked for when read
};

// Keys whose default is "the current value" take it from `current`; the fixed defaults
// ("NO", "SI", "0") apply otherwise.
SettingsValues readSettingsValues(const Ini& ini, const SettingsValues& current);

// Sets every key, in the file's order, leaving everything else in `ini` as it was.
void writeSettingsValues(Ini& ini, const SettingsValues& values);

// A decimal whole number with an optional sign that fits in 32 bits; blanks around allowed.
std::optional<int> parseWholeNumber(std::string_view text);

// The row to select at start for the index asked for: negative counts as 0; an index past
// the list falls back to row 0; -1 when the list is empty.
int startSelectionRow(int index, int rowCount);

constexpr int kVolumeKnobMin = 220;
constexpr int kVolumeKnobMax = 295;

}  // namespace vemla::core
