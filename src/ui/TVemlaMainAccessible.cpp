// What the main window's own controls tell assistive technology: the knobs as sliders with
// their values (their tracks are the same sliders and stay unnamed), the time display and the title
// line by their texts, the toggles with their state. The glyph buttons are read by their hints
// already (GlyphButton); the menu-bar labels are described with the menus (MainMenus.cpp).
#include <QLabel>

#include "core/Player.h"
#include "ui/AccessibleControl.h"
#include "ui/GlyphButton.h"
#include "ui/TVemlaMain.h"
#include "ui/TimeDisplay.h"
#include "ui/VolumeKnob.h"

namespace vemla::ui {

void TVemlaMain::describeControls() {
  core::Player& p = player_;

  AccessibleTraits volume;
  volume.role = QAccessible::Slider;
  volume.name = [] { return QStringLiteral("Volumen"); };
  volume.value = [&p] { return p.VolumeKnobLeft - VolumeKnob::kMin; };
  volume.maximum = [] { return VolumeKnob::kMax - VolumeKnob::kMin; };
  volume.setValue = [this](int v) {
    player_.SetVolumeKnobLeft(VolumeKnob::clamp(VolumeKnob::kMin + v));
    SettleMuteState();
  };
  volume.step = VolumeKnob::kStep;
  setAccessibleTraits(botVol_, volume);

  AccessibleTraits position;
  position.role = QAccessible::Slider;
  position.name = [] { return QString::fromUtf8("Posición"); };
  position.value = [&p] {
    return p.CurrentSlot == -1 ? 0 : static_cast<int>(p.StreamPositionSeconds());
  };
  position.valueText = [&p] {
    const std::int64_t s = p.CurrentSlot == -1 ? 0 : static_cast<int>(p.StreamPositionSeconds());
    return QString::fromStdString(TimeDisplay::timeText(s, 1));
  };
  position.maximum = [&p] {
    const int e = p.List.CurrentEntry;
    return p.CurrentSlot == -1 ? 0 : static_cast<int>(p.List.Entries[e].LengthSeconds);
  };
  position.setValue = [this](int seconds) {
    if (player_.CurrentSlot == -1) return;
    player_.SeekSeconds(static_cast<float>(seconds));
    const std::int64_t length = player_.List.Entries[player_.List.CurrentEntry].LengthSeconds;
    placePositionKnob(TimeDisplay::knobForPosition(static_cast<float>(seconds), length));
  };
  position.step = 5;  // as "Atras/Adelante 5 segundos"
  setAccessibleTraits(botDespl_, position);

  // The time is read as it is shown; pressing it switches between elapsed and remaining.
  AccessibleTraits time;
  time.role = QAccessible::StaticText;
  time.name = [this] { return pantTiempo_->text(); };
  time.description = [&p] {
    return QString::fromUtf8(p.TimeMode == 1 ? "Tiempo transcurrido" : "Tiempo restante");
  };
  time.press = [this] { Pant_tiempoClick(); };
  setAccessibleTraits(pantTiempo_, time);

  // The whole title, not the part the scrolling shows now (which changes every 400 ms).
  AccessibleTraits title;
  title.role = QAccessible::StaticText;
  title.name = [this] { return pantTitulo_->accessibleName(); };
  setAccessibleTraits(pantTitulo_, title);

  const auto toggle = [](GlyphButton* b, std::function<bool()> on) {
    AccessibleTraits t = *accessibleTraits(b);
    t.role = QAccessible::CheckBox;
    t.checked = std::move(on);
    setAccessibleTraits(b, std::move(t));
  };
  toggle(buttons_[0], [&p] { return p.RepeatMode != 0; });
  toggle(buttons_[1], [&p] { return p.RandomMode != 0; });
  toggle(bSilencio_, [&p] { return p.Muted != 0; });
}

}  // namespace vemla::ui
