#include "ui/VolumeKnob.h"

#include <algorithm>

namespace vemla::ui {

int VolumeKnob::clamp(int left) { return std::clamp(left, kMin, kMax); }

int VolumeKnob::knobForPercent(int percent) { return clamp(kMin + 75 * percent / 100); }

void VolumeKnob::SettleMuteState(VolumeState& v) {
  if (v.knobLeft == kMin) {
    v.muted = true;
    v.savedVolume = kMutedSave;
  } else {
    v.muted = false;
    v.savedVolume = v.knobLeft;
  }
}

void VolumeKnob::SetVolumePercent(VolumeState& v, int percent) {
  v.knobLeft = knobForPercent(percent);
  SettleMuteState(v);
}

void VolumeKnob::moveBy(VolumeState& v, int delta) {
  v.knobLeft = clamp(v.knobLeft + delta);
  SettleMuteState(v);
}

void VolumeKnob::toggleMute(VolumeState& v) {
  if (v.muted) {
    v.muted = false;
    v.knobLeft = clamp(v.savedVolume);
  } else {
    v.muted = true;
    v.savedVolume = v.knobLeft;
    v.knobLeft = kMin;
  }
}

}  // namespace vemla::ui
