#pragma once
// How the custom-painted controls show themselves to assistive technology (screen readers and
// other AT-SPI clients reach them through Qt's accessibility bridge).
//
// Qt describes its own widgets (labels, lists, menus) by itself. A skinned control is a bare
// QWidget to it: no role, no name, nothing to press. Attaching AccessibleTraits to a widget
// gives it a role, a name, and optionally a value (sliders) and a press action (buttons):
//  - the name is `name()` when given, else the widget's accessibleName, else its tool tip (the
//    hint every skinned button has), else a label's text;
//  - `press` runs for the press action, only while the widget is enabled;
//  - `value`/`setValue` make it a value control between `minimum` and `maximum`, read aloud as
//    `valueText()` when given (the maximum may change, as a song's length does).
// SkinnedWidget and GlyphButton attach traits of their own, so a new skinned button is read and
// pressed by its hint without more work. Traits may be set again at any time; the newest count.
// Menu items whose text is "caption<tab>shortcut" (the shortcut only shown, never bound) are
// read by their caption, with the shortcut as their key binding.
// Everything here runs on the user-interface thread.
#include <QAccessible>
#include <QString>
#include <functional>

class QWidget;

namespace vemla::ui {

struct AccessibleTraits {
  QAccessible::Role role = QAccessible::Client;
  std::function<QString()> name;
  std::function<QString()> description;
  std::function<void()> press;
  // A checkable control (a toggle) reports whether it is on.
  std::function<bool()> checked;
  std::function<int()> value;
  std::function<void(int)> setValue;
  std::function<QString()> valueText;
  int minimum = 0;
  std::function<int()> maximum;
  int step = 1;  // what the increase and decrease actions add and take
};

void setAccessibleTraits(QWidget* widget, AccessibleTraits traits);
// Menu items written "caption<tab>shortcut" are read by their caption alone (the first traits
// set do this too). Call before any menu is shown.
void describeMenuItems();
// The traits attached to `widget`, or null.
const AccessibleTraits* accessibleTraits(const QWidget* widget);

// What assistive technology reads for `widget` now: its accessible name, value text and the
// names of its actions (Qt's own answer, for any widget).
QString accessibleNameOf(QWidget* widget);
QString accessibleValueOf(QWidget* widget);
QStringList accessibleActionsOf(QWidget* widget);
// Runs the press action as a screen reader would; false when the widget has none.
bool pressAccessibly(QWidget* widget);

// Tell listening assistive technology that the name, value or checked state changed.
void accessibleNameChanged(QWidget* widget);
void accessibleValueChanged(QWidget* widget);
void accessibleStateChanged(QWidget* widget);

}  // namespace vemla::ui
