#include "core/Settings.h"

#include "core/Ini.h"
#include "core/Player.h"

namespace vemla::core {

SettingsValues CurrentSettingsValues(const Player& p, const SettingsWindows& w) {
  SettingsValues v;
  v.mainLeft = w.MainWindowPos().left;
  v.mainTop = w.MainWindowPos().top;
  v.muted = p.Muted != 0;
  v.volume = p.Muted ? p.SavedVolume : p.VolumeKnobLeft;
  v.repeat = p.RepeatMode != 0;
  v.random = p.RandomMode != 0;
  v.timeMode = p.TimeMode;
  v.fxType = p.FxType;
  v.fxMode = p.FxMode;
  v.miniLeft = w.MiniWindowPos().left;
  v.miniTop = w.MiniWindowPos().top;
  v.playlistVisible = p.PlaylistVisible != 0;
  v.playlistLeft = p.PlaylistLeft;
  v.playlistTop = p.PlaylistTop;
  v.playlistDocked = p.PlaylistDocked != 0;
  v.entryCount = p.List.EntryCount;
  v.select = p.List.CurrentEntry - 1;
  return v;
}

void LoadSettings(Player& player, SettingsWindows& windows) {
  LoadSettings(player, windows, player.SettingsReadPath());
}

void LoadSettings(Player& p, SettingsWindows& w, const std::string& path) {
  Ini ini;
  Ini::loadFile(path, ini);
  SettingsValues current = CurrentSettingsValues(p, w);
  // Reading the knob's current place, not the saved volume, is what "VOLUMEN" defaults to.
  current.volume = p.VolumeKnobLeft;
  current.playlistLeft = w.PlaylistWindowPos().left;
  current.playlistTop = w.PlaylistWindowPos().top;
  const SettingsValues v = readSettingsValues(ini, current);

  w.MoveMainWindow(v.mainLeft, v.mainTop);
  if (v.muted) {
    p.Muted = 1;
    w.SetMuteGlyph(true);
    p.SavedVolume = v.volume;
    p.SetVolumeKnobLeft(kVolumeKnobMin);
  } else {
    p.Muted = 0;
    w.SetMuteGlyph(false);
    p.SetVolumeKnobLeft(v.volume);
  }
  p.ApplyVolume();
  p.RepeatMode = v.repeat ? 1 : 0;
  w.ShowRepeatDots(v.repeat);
  p.RandomMode = v.random ? 1 : 0;
  w.ShowRandomDots(v.random);
  p.TimeMode = static_cast<uint8_t>(v.timeMode);
  p.FxType = static_cast<uint8_t>(v.fxType);
  p.FxMode = static_cast<uint8_t>(v.fxMode);
  w.ShowVisualiser(p.FxType, p.FxMode);
  if (v.miniLeft != 0) w.MoveMiniWindow(v.miniLeft, w.MiniWindowPos().top);
  if (v.miniTop != 0) w.MoveMiniWindow(w.MiniWindowPos().left, v.miniTop);
  p.PlaylistVisible = v.playlistVisible ? 1 : 0;
  if (v.playlistLeft != 0) w.MovePlaylistWindow(v.playlistLeft, w.PlaylistWindowPos().top);
  if (v.playlistTop != 0) w.MovePlaylistWindow(w.PlaylistWindowPos().left, v.playlistTop);
  p.PlaylistDocked = v.playlistDocked ? 1 : 0;

  const int index = p.ForcedListLoaded ? p.ForcedStartRow : v.select;
  const int row = startSelectionRow(index, p.List.EntryCount);
  if (row >= 0) p.View().SelectRow(row);
}

namespace {

// `from` is the file whose other sections and keys are kept; `to` is written.
bool SaveSettingsFrom(Player& p, const SettingsWindows& w, const std::string& from,
                      const std::string& to) {
  p.StopPlayback();
  if (p.NoSave) return true;
  Ini ini;
  Ini::loadFile(from, ini);
  writeSettingsValues(ini, CurrentSettingsValues(p, w));
  // A settings file that cannot be written ends the saving: the list is left as it was.
  if (!ini.saveFile(to)) return false;
  return p.SaveAutosaveList();
}

}  // namespace

bool SaveSettings(Player& player, const SettingsWindows& windows) {
  return SaveSettingsFrom(player, windows, player.SettingsReadPath(), player.SettingsFilePath());
}

bool SaveSettings(Player& p, const SettingsWindows& w, const std::string& path) {
  return SaveSettingsFrom(p, w, path, path);
}

}  // namespace vemla::core
