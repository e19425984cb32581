#pragma once
// The windows as the settings file sees them: places kept within the screens, the mute glyph
// and the repeat/random dots found by their names.
#include <QPointer>
#include <QWidget>
#include <string>

#include "core/Settings.h"

namespace vemla::ui {

class QtSettingsWindows : public core::SettingsWindows {
 public:
  // `programDir` ends in "/"; the mute glyphs are read from its skin/ folder.
  QtSettingsWindows(QWidget* mainWindow, QWidget* playlist, QWidget* mini, std::string programDir);

  Pos MainWindowPos() const override { return posOf(main_); }
  void MoveMainWindow(int left, int top) override { moveInside(main_, left, top); }
  Pos MiniWindowPos() const override { return posOf(mini_); }
  void MoveMiniWindow(int left, int top) override { moveInside(mini_, left, top); }
  Pos PlaylistWindowPos() const override { return posOf(playlist_); }
  void MovePlaylistWindow(int left, int top) override { moveInside(playlist_, left, top); }
  void SetMuteGlyph(bool muted) override;
  void ShowRepeatDots(bool on) override { showDots("punto_repetir", on); }
  void ShowRandomDots(bool on) override { showDots("punto_random", on); }
  void ShowVisualiser(int fxType, int fxMode) override;

 private:
  static Pos posOf(const QWidget* w);
  static void moveInside(QWidget* w, int left, int top);
  void showDots(const char* name, bool on);

  QPointer<QWidget> main_;
  QPointer<QWidget> playlist_;
  QPointer<QWidget> mini_;
  std::string programDir_;
};

}  // namespace vemla::ui
