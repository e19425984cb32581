// What a screen reader finds on skinned controls: names from hints, roles, values it can set,
// and a press that acts like a click.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QWidget>

#include "ui/AccessibleControl.h"
#include "ui/GlyphButton.h"
#include "ui/Skin.h"
#include "ui/SkinnedWidget.h"

namespace vemla::ui {
namespace {

QAccessibleInterface* iface(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

TEST(AccessibleControl, SkinnedButtonsAreReadByTheirHintAndPressedLikeAClick) {
  Skin skin;
  QWidget window;
  auto* play = new GlyphButton(&window, "B_Reproducir", Picture::Reproducir, &skin);
  play->setToolTip("Reproducir");
  auto* picture = new SkinnedWidget(&window, "Image1", &skin, Picture::MainBackground);
  auto* named = new SkinnedWidget(&window, "Image2", &skin, Picture::Dot);
  named->setAccessibleName("Punto");
  named->setToolTip("ignored: the accessible name comes first");

  EXPECT_EQ(iface(play)->role(), QAccessible::Button);
  EXPECT_EQ(accessibleNameOf(play), "Reproducir");
  EXPECT_EQ(iface(picture)->role(), QAccessible::Graphic);
  EXPECT_EQ(accessibleNameOf(picture), "");
  EXPECT_EQ(accessibleNameOf(named), "Punto");
  EXPECT_FALSE(accessibleActionsOf(picture).contains(QAccessibleActionInterface::pressAction()));
  EXPECT_FALSE(pressAccessibly(picture));

  QSignalSpy clicks(play, &SkinnedWidget::clicked);
  EXPECT_TRUE(pressAccessibly(play));
  EXPECT_EQ(clicks.count(), 1);
  // A disabled control is found but does nothing when pressed.
  play->setEnabled(false);
  EXPECT_TRUE(pressAccessibly(play));
  EXPECT_EQ(clicks.count(), 1);
  // The hint may change later; the name follows it.
  play->setToolTip("Pausa");
  EXPECT_EQ(accessibleNameOf(play), "Pausa");
}

TEST(AccessibleControl, ValuesStayInTheirRangeAndTogglesReportTheirState) {
  QWidget window;
  auto* knob = new QWidget(&window);
  int value = 57;
  int length = 75;
  AccessibleTraits t;
  t.role = QAccessible::Slider;
  t.name = [] { return QStringLiteral("Volumen"); };
  t.value = [&] { return value; };
  t.setValue = [&](int v) { value = v; };
  t.maximum = [&] { return length; };
  setAccessibleTraits(knob, t);

  QAccessibleValueInterface* v = iface(knob)->valueInterface();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(accessibleValueOf(knob), "57");
  struct Case {
    int asked, got;
  } cases[] = {{10, 10}, {75, 75}, {90, 75}, {-4, 0}};
  for (const Case& c : cases) {
    v->setCurrentValue(c.asked);
    EXPECT_EQ(value, c.got) << c.asked;
  }
  value = 70;
  t.step = 5;
  setAccessibleTraits(knob, t);
  QAccessibleActionInterface* a = iface(knob)->actionInterface();
  a->doAction(QAccessibleActionInterface::increaseAction());
  EXPECT_EQ(value, 75);
  a->doAction(QAccessibleActionInterface::increaseAction());
  EXPECT_EQ(value, 75);
  a->doAction(QAccessibleActionInterface::decreaseAction());
  EXPECT_EQ(value, 70);
  length = -1;  // a range that collapsed (nothing playing) sets the minimum only
  v->setCurrentValue(30);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(v->maximumValue().toInt(), 0);

  bool on = false;
  AccessibleTraits toggle;
  toggle.role = QAccessible::CheckBox;
  toggle.checked = [&] { return on; };
  auto* repeat = new QWidget(&window);
  setAccessibleTraits(repeat, toggle);
  EXPECT_TRUE(iface(repeat)->state().checkable);
  EXPECT_FALSE(iface(repeat)->state().checked);
  on = true;
  EXPECT_TRUE(iface(repeat)->state().checked);
  EXPECT_EQ(iface(repeat)->valueInterface(), nullptr);
}

TEST(AccessibleControl, LabelsKeepTheirTextAsNameUnlessToldOtherwise) {
  QWidget window;
  auto* menu = new QLabel("Archivo", &window);
  int opened = 0;
  AccessibleTraits t;
  t.role = QAccessible::ButtonMenu;
  t.press = [&] { ++opened; };
  setAccessibleTraits(menu, t);
  EXPECT_EQ(accessibleNameOf(menu), "Archivo");
  EXPECT_TRUE(pressAccessibly(menu));
  EXPECT_EQ(opened, 1);
  // Traits set again replace the old ones.
  t.name = [] { return QStringLiteral("Otro"); };
  t.press = nullptr;
  setAccessibleTraits(menu, t);
  EXPECT_EQ(accessibleNameOf(menu), "Otro");
  EXPECT_FALSE(pressAccessibly(menu));
}

}  // namespace
}  // namespace vemla::ui
