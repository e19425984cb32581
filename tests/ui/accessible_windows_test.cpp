// Every window of the program, as a screen reader walks it: each control it can act on (a
// button, a toggle, a slider, a text field, a list, a menu-bar label) has a name to read.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>

#include "FakeAudio.h"
#include "core/Player.h"
#include "support/Fixtures.h"
#include "ui/TAcerca.h"
#include "ui/TFmini.h"
#include "ui/TInfo.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaCDAudio.h"
#include "ui/TVemlaMain.h"
#include "ui/TVemlaPlayerFX.h"
#include "ui/Tfopciones.h"

using namespace vemla;

namespace {

bool actsOn(QAccessibleInterface* i) {
  switch (i->role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonMenu:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
      return true;
    default:
      break;
  }
  QAccessibleActionInterface* a = i->actionInterface();
  return a && a->actionNames().contains(QAccessibleActionInterface::pressAction());
}

// The controls of `window` a listener could not tell apart, as "objectName (role)".
QStringList unnamedControls(QWidget* window) {
  QStringList unnamed;
  QList<QWidget*> all = window->findChildren<QWidget*>();
  all.prepend(window);
  for (QWidget* w : all) {
    // Parts Qt builds inside its own controls (a scroll bar of a list) are described by it.
    if (w->objectName().startsWith("qt_") || w->window() != window) continue;
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    if (!i || !actsOn(i)) continue;
    if (i->text(QAccessible::Name).trimmed().isEmpty()) {
      unnamed << QString("%1 (%2)").arg(w->objectName(), w->metaObject()->className());
    }
  }
  return unnamed;
}

TEST(AccessibleWindows, EveryControlOfEveryWindowHasAName) {
  test::FakeAudio audio;
  core::Player player{audio};
  player.SetDefaults((test::tempDir() / "VemlaPlayer").string());
  ui::TVemlaMain main(player);
  ui::TPlaylist playlist(player);
  ui::TVemlaCDAudio cd(player);
  cd.BuildControls();
  ui::TInfo info(player);
  info.BuildControls();
  ui::TFmini mini(player, main);
  ui::Tfopciones preferences;
  preferences.BuildControls();
  ui::TVemlaPlayerFX fx;
  main.createAboutWindow()->pages();
  QWidget* windows[] = {&main, &playlist,    &cd, &info,
                        &mini, &preferences, &fx, main.createAboutWindow()};
  for (QWidget* w : windows) {
    EXPECT_EQ(unnamedControls(w).join(", ").toStdString(), "") << w->objectName().toStdString();
  }
}

}  // namespace
