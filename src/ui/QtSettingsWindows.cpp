#include "ui/QtSettingsWindows.h"

#include <QDebug>

#include "ui/FxPanel.h"
#include "ui/GlyphButton.h"
#include "ui/ScreenClamp.h"

namespace vemla::ui {

QtSettingsWindows::QtSettingsWindows(QWidget* mainWindow, QWidget* playlist, QWidget* mini,
                                     std::string programDir)
    : main_(mainWindow), playlist_(playlist), mini_(mini), programDir_(std::move(programDir)) {}

core::SettingsWindows::Pos QtSettingsWindows::posOf(const QWidget* w) {
  if (!w) return {};
  return {w->x(), w->y()};
}

void QtSettingsWindows::moveInside(QWidget* w, int left, int top) {
  if (!w) return;
  w->move(keepOnScreens(QRect(left, top, w->width(), w->height())));
}

void QtSettingsWindows::SetMuteGlyph(bool muted) {
  if (!main_) return;
  auto* button = main_->findChild<GlyphButton*>("B_silencio");
  if (!button) return;
  QString path = QString::fromStdString(programDir_) +
                 (muted ? "/skin/b_silencio2.bmp" : "/skin/b_silencio.bmp");
  // A missing skin file shows the built-in drawing of the same glyph; the player goes on.
  if (!button->loadGlyph(path)) {
    qWarning().noquote() << "No se puede leer" << path;
    button->setGlyph(muted ? Picture::Silencio2 : Picture::Silencio);
  }
  // The main window caches which glyph file it loaded last; make its next change load again.
  button->setProperty("glyphLoaded", false);
}

void QtSettingsWindows::ShowVisualiser(int, int) {
  // The panel reads FxType and FxMode from the player it was given.
  if (auto* panel = main_ ? main_->findChild<FxPanel*>("Pant_FXD") : nullptr) {
    panel->followSettings();
  }
}

void QtSettingsWindows::showDots(const char* name, bool on) {
  for (QWidget* window : {main_.data(), mini_.data()}) {
    if (!window) continue;
    for (QWidget* dot : window->findChildren<QWidget*>(name)) dot->setVisible(on);
  }
}

}  // namespace vemla::ui
