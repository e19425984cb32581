#include "core/SettingsValues.h"

#include <algorithm>
#include <climits>
#include <string>

namespace vemla::core {

namespace {

constexpr const char* kGeneral = "GENERAL";
constexpr const char* kFx = "FX";
constexpr const char* kPlaylist = "PLAYLIST";
constexpr const char* kMini = "MINIVEMLA";

int readInt(const Ini& ini, const char* section, const char* key, int fallback) {
  auto v = ini.value(section, key);
  if (!v) return fallback;
  return parseWholeNumber(*v).value_or(fallback);
}

bool readYes(const Ini& ini, const char* section, const char* key, bool fallback) {
  return ini.readString(section, key, fallback ? "SI" : "NO") == "SI";
}

const char* yesNo(bool v) { return v ? "SI" : "NO"; }

void writeInt(Ini& ini, const char* section, const char* key, int v) {
  ini.setValue(section, key, std::to_string(v));
}

}  // namespace

std::optional<int> parseWholeNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 11) return std::nullopt;
  long long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return std::nullopt;
  return static_cast<int>(v);
}

SettingsValues readSettingsValues(const Ini& ini, const SettingsValues& current) {
  SettingsValues s = current;
  s.mainLeft = readInt(ini, kGeneral, "POSX", current.mainLeft);
  s.mainTop = readInt(ini, kGeneral, "POSY", current.mainTop);
  s.muted = readYes(ini, kGeneral, "SILENCIO", false);
  s.volume =
      std::clamp(readInt(ini, kGeneral, "VOLUMEN", current.volume), kVolumeKnobMin, kVolumeKnobMax);
  s.repeat = readYes(ini, kGeneral, "REPETIR", false);
  s.random = readYes(ini, kGeneral, "RANDOM", false);
  s.timeMode = readInt(ini, kGeneral, "MODO_TIEMPO", current.timeMode);
  if (s.timeMode != 1 && s.timeMode != 2) s.timeMode = current.timeMode == 1 ? 1 : 2;
  s.fxType = readInt(ini, kFx, "TIPO", current.fxType);
  if (s.fxType < 1 || s.fxType > 3)
    s.fxType = (current.fxType >= 1 && current.fxType <= 3) ? current.fxType : 3;
  s.fxMode = readInt(ini, kFx, "MODO", current.fxMode);
  if (s.fxMode < 0 || s.fxMode > 2)
    s.fxMode = (current.fxMode >= 0 && current.fxMode <= 2) ? current.fxMode : 0;
  s.miniLeft = readInt(ini, kMini, "POSX", current.miniLeft);
  s.miniTop = readInt(ini, kMini, "POSY", current.miniTop);
  s.playlistVisible = readYes(ini, kPlaylist, "VISIBLE", true);
  s.playlistLeft = readInt(ini, kPlaylist, "POSX", current.playlistLeft);
  s.playlistTop = readInt(ini, kPlaylist, "POSY", current.playlistTop);
  s.playlistDocked = readYes(ini, kPlaylist, "ENCLAVADO", true);
  s.select = readInt(ini, kPlaylist, "SELECT", 0);
  return s;
}

void writeSettingsValues(Ini& ini, const SettingsValues& v) {
  writeInt(ini, kGeneral, "POSX", v.mainLeft);
  writeInt(ini, kGeneral, "POSY", v.mainTop);
  ini.setValue(kGeneral, "SILENCIO", yesNo(v.muted));
  writeInt(ini, kGeneral, "VOLUMEN", v.volume);
  ini.setValue(kGeneral, "REPETIR", yesNo(v.repeat));
  ini.setValue(kGeneral, "RANDOM", yesNo(v.random));
  ini.setValue(kGeneral, "MODO_TIEMPO", v.timeMode == 1 ? "1" : "2");
  writeInt(ini, kFx, "TIPO", v.fxType);
  writeInt(ini, kFx, "MODO", v.fxMode);
  ini.setValue(kPlaylist, "VISIBLE", yesNo(v.playlistVisible));
  writeInt(ini, kPlaylist, "POSX", v.playlistLeft);
  writeInt(ini, kPlaylist, "POSY", v.playlistTop);
  ini.setValue(kPlaylist, "ENCLAVADO", yesNo(v.playlistDocked));
  writeInt(ini, kPlaylist, "NCANCIONES", v.entryCount);
  writeInt(ini, kPlaylist, "SELECT", v.select);
  writeInt(ini, kMini, "POSX", v.miniLeft);
  writeInt(ini, kMini, "POSY", v.miniTop);
}

int startSelectionRow(int index, int rowCount) {
  if (index < 0) index = 0;
  if (index < rowCount) return index;
  return rowCount >= 1 ? 0 : -1;
}

}  // namespace vemla::core
