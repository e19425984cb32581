#pragma once
// The volume knob and the mute state as plain values.
//
// The knob's left edge runs 220...295 and the stream volume is left - 220 (0...75). The knob at
// 220 is mute; reaching it by moving the knob saves 222, so lifting mute then gives volume 2.
// Every change except the plain track drag ends in SettleMuteState.

namespace vemla::ui {

struct VolumeState {
  int knobLeft = 277;  // bot_vol.Left
  bool muted = false;
  int savedVolume = 0;  // a knob place to go back to when mute is lifted
};

class VolumeKnob {
 public:
  static constexpr int kMin = 220;  // Despl_Vol.Left
  static constexpr int kMax = 295;  // Despl_Vol.Left + Despl_Vol.Width - 8
  static constexpr int kStep = 5;
  static constexpr int kMutedSave = 222;

  static int clamp(int left);
  static int volumeOf(int knobLeft) { return clamp(knobLeft) - kMin; }
  static int knobForPercent(int percent);

  // Knob at 220: muted, saved 222; anywhere else: not muted, saved = the knob.
  static void SettleMuteState(VolumeState& v);
  static void SetVolumePercent(VolumeState& v, int percent);
  static void moveBy(VolumeState& v, int delta);  // keys A and D, "Subir/Bajar Volumen"
  // The mute button. A saved place off the track (an odd settings file) comes back on it.
  static void toggleMute(VolumeState& v);
};

}  // namespace vemla::ui
