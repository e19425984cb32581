// Main-window arithmetic that needs no display: time texts, knobs, titles, snapping, keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/KeyDispatch.h"
#include "ui/MiniGeometry.h"
#include "ui/TimeDisplay.h"
#include "ui/TitleScroll.h"
#include "ui/VolumeKnob.h"
#include "ui/WindowSnap.h"

using namespace vemla::ui;

TEST(TimeDisplayTest, TextsInBothModes) {
  struct Case {
    long long seconds;
    int mode;
    const char* text;
  } cases[] = {
      {0, 1, "00:00"},    {0, 2, "-00:00"}, {125, 1, "02:05"}, {125, 2, "-02:05"},
      {3725, 1, "62:05"}, {59, 1, "00:59"}, {60, 1, "01:00"},  {6000, 1, "100:00"},
      {-1, 2, "-00:00"},  {9, 0, "-00:09"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeDisplay::timeText(c.seconds, c.mode), c.text) << c.seconds << " mode " << c.mode;
  }
}

TEST(TimeDisplayTest, ShownSecondsRoundHalfToEven) {
  EXPECT_EQ(TimeDisplay::shownSeconds(2.5f, 0, 1), 2);
  EXPECT_EQ(TimeDisplay::shownSeconds(3.5f, 0, 1), 4);
  EXPECT_EQ(TimeDisplay::shownSeconds(3.4f, 0, 1), 3);
  EXPECT_EQ(TimeDisplay::shownSeconds(10.f, 130.5f, 2), 120);
  EXPECT_EQ(TimeDisplay::shownSeconds(10.f, 131.5f, 2), 122);
  // Heard past the stated length: remaining time never goes below zero on screen.
  EXPECT_EQ(TimeDisplay::timeText(TimeDisplay::shownSeconds(12.f, 10.f, 2), 2), "-00:00");
}

TEST(TimeDisplayTest, PositionKnobFromCounter) {
  EXPECT_EQ(TimeDisplay::knobForPosition(100.7f, 260), 106);
  EXPECT_EQ(TimeDisplay::knobForPosition(0.f, 260), 6);
  EXPECT_EQ(TimeDisplay::knobForPosition(260.f, 260), 266);
  // Length 0 counts as 1; the knob stops at the bar's right end instead of leaving it.
  EXPECT_EQ(TimeDisplay::knobForPosition(1.f, 0), 266);
  EXPECT_EQ(TimeDisplay::knobForPosition(5.f, 0), 271);
  EXPECT_EQ(TimeDisplay::knobForPosition(400.f, 260), 271);
  EXPECT_EQ(TimeDisplay::miniKnobForPosition(130.f, 260), 64);
}

TEST(TimeDisplayTest, SkipBackFromKnob106OnA260SecondSong) {
  const int knob = TimeDisplay::clampKnob(106 - TimeDisplay::kKnobStep);
  EXPECT_EQ(knob, 90);
  EXPECT_EQ(TimeDisplay::seekSecondsForKnob(knob, 260), 85);
  EXPECT_EQ(TimeDisplay::clampKnob(10 - 16), 6);
  EXPECT_EQ(TimeDisplay::clampKnob(265 + 16), 271);
  EXPECT_EQ(TimeDisplay::seekSecondsForKnob(6, 0), 0);
}

TEST(VolumeKnobTest, PercentPresets) {
  const std::vector<std::pair<int, int>> presets = {{0, 220},  {10, 227},  {25, 238},  {50, 257},
                                                    {75, 276}, {100, 295}, {150, 295}, {-5, 220}};
  for (auto [percent, knob] : presets) {
    VolumeState v;
    VolumeKnob::SetVolumePercent(v, percent);
    EXPECT_EQ(v.knobLeft, knob) << percent;
    EXPECT_EQ(v.muted, knob == 220) << percent;
  }
  VolumeState v;
  VolumeKnob::SetVolumePercent(v, 100);
  EXPECT_EQ(VolumeKnob::volumeOf(v.knobLeft), 75);
}

TEST(VolumeKnobTest, MuteByKnobSaves222AndMuteButtonRestoresVolume2) {
  VolumeState v;
  v.knobLeft = 230;
  VolumeKnob::moveBy(v, -5);
  VolumeKnob::moveBy(v, -5);
  EXPECT_TRUE(v.muted);
  EXPECT_EQ(v.knobLeft, 220);
  EXPECT_EQ(v.savedVolume, 222);
  VolumeKnob::toggleMute(v);
  EXPECT_FALSE(v.muted);
  EXPECT_EQ(VolumeKnob::volumeOf(v.knobLeft), 2);
}

TEST(VolumeKnobTest, MuteButtonRoundTripAndBadSavedPlace) {
  VolumeState v;
  v.knobLeft = 257;
  VolumeKnob::toggleMute(v);
  EXPECT_TRUE(v.muted);
  EXPECT_EQ(v.knobLeft, 220);
  EXPECT_EQ(v.savedVolume, 257);
  VolumeKnob::toggleMute(v);
  EXPECT_EQ(v.knobLeft, 257);
  // A saved place from an odd settings file never puts the knob off its track.
  v.muted = true;
  v.savedVolume = 9999;
  VolumeKnob::toggleMute(v);
  EXPECT_EQ(v.knobLeft, 295);
  v.muted = true;
  v.savedVolume = 0;
  VolumeKnob::toggleMute(v);
  EXPECT_EQ(v.knobLeft, 220);
}

namespace {
struct Shown {
  int firstChar;
  int interval;
};
std::vector<Shown> run(int length, int ticks, int window = TitleScroll::kMainWindow) {
  TitleScrollState s;
  std::vector<Shown> out;
  for (int i = 0; i < ticks; ++i) {
    TitleScrollStep step = TitleScroll::tick(s, length, window);
    out.push_back({step.firstChar, step.keepRunning ? step.intervalMs : -1});
  }
  return out;
}
}  // namespace

TEST(TitleScrollTest, ShortTitlesDoNotScroll) {
  EXPECT_FALSE(TitleScroll::scrolls(26));
  EXPECT_TRUE(TitleScroll::scrolls(27));
  EXPECT_FALSE(TitleScroll::scrolls(22, TitleScroll::kMiniWindow));
  EXPECT_TRUE(TitleScroll::scrolls(23, TitleScroll::kMiniWindow));
}

TEST(TitleScrollTest, TwentySevenCharactersAlternateBetweenFirstAndSecond) {
  const auto shown = run(27, 6);
  const std::vector<int> first = {1, 1, 2, 1, 2, 1};
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].firstChar, first[i]) << i;
    EXPECT_EQ(shown[i].interval, 5000) << i;
  }
}

TEST(TitleScrollTest, LongTitleRunsForwardPausesAndBack) {
  const int length = 30;  // four steps to its last 27 characters
  const auto shown = run(length, 12);
  const std::vector<Shown> want = {{1, 400},  {2, 400}, {3, 400}, {4, 5000}, {3, 400}, {2, 400},
                                   {1, 5000}, {2, 400}, {3, 400}, {4, 5000}, {3, 400}, {2, 400}};
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(shown[i].firstChar, want[i].firstChar) << i;
    EXPECT_EQ(shown[i].interval, want[i].interval) << i;
  }
  for (const auto& s : run(200, 1000)) {
    EXPECT_GE(s.firstChar, 1);
    EXPECT_LE(s.firstChar, 200 - 26);
  }
  // The mini window's line turns 4 characters later.
  EXPECT_EQ(run(30, 8, TitleScroll::kMiniWindow)[7].interval, 5000);
}

TEST(TitleScrollTest, EntryChangedUnderARunningTimerNeverBlanks) {
  TitleScrollState s{60, false};
  TitleScrollStep step = TitleScroll::tick(s, 40, TitleScroll::kMainWindow);
  EXPECT_LE(step.firstChar + 26, 40 + 1);
  EXPECT_TRUE(step.keepRunning);
  s = {60, true};
  step = TitleScroll::tick(s, 10, TitleScroll::kMainWindow);
  EXPECT_EQ(step.firstChar, 1);
  EXPECT_FALSE(step.keepRunning);
  EXPECT_EQ(s.offset, 0);
}

TEST(WindowSnapTest, ScreenEdges) {
  struct Case {
    SnapPoint in, out;
  } cases[] = {
      {{10, 100}, {0, 100}},    {{20, 100}, {20, 100}}, {{100, 5}, {100, -3}},
      {{100, 20}, {100, 20}},   {{-50, -50}, {0, -3}},  {{660, 100}, {683, 100}},
      {{659, 100}, {659, 100}},
  };
  for (const auto& c : cases) {
    SnapPoint p = WindowSnap::snapToScreen(c.in, 1024);
    EXPECT_EQ(p.x, c.out.x) << c.in.x << "," << c.in.y;
    EXPECT_EQ(p.y, c.out.y) << c.in.x << "," << c.in.y;
  }
}

TEST(WindowSnapTest, DockingAt29ButNot30Pixels) {
  const SnapRect pl{600, 300, 349, 500};
  // Right edge 29 pixels left of the playlist: snaps with 7 pixels of overlap and docks.
  MainDragResult r = WindowSnap::endMainDrag({100, 100}, {600 - 29 - 345, 40}, 1600, pl, false);
  EXPECT_TRUE(r.docked);
  EXPECT_EQ(r.main.x, 600 - 345 + 7);
  EXPECT_EQ(r.main.y, 40);
  r = WindowSnap::endMainDrag({100, 100}, {600 - 30 - 345, 40}, 1600, pl, false);
  EXPECT_FALSE(r.docked);
  EXPECT_EQ(r.main.x, 600 - 30 - 345);

  // Left edge near the playlist's right edge; bottom near its top; top near its bottom.
  r = WindowSnap::endMainDrag({0, 0}, {949 + 29, 40}, 1600, pl, false);
  EXPECT_TRUE(r.docked);
  EXPECT_EQ(r.main.x, 949 - 6);
  r = WindowSnap::endMainDrag({0, 0}, {700, 300 - 175 - 29}, 1600, pl, false);
  EXPECT_TRUE(r.docked);
  EXPECT_EQ(r.main.y, 300 - 175 + 7);
  r = WindowSnap::endMainDrag({0, 0}, {700, 800 - 29}, 1600, pl, false);
  EXPECT_TRUE(r.docked);
  EXPECT_EQ(r.main.y, 800 - 3);
  EXPECT_EQ(r.playlist.x, 600);
}

TEST(WindowSnapTest, DockedPlaylistFollowsTheSnappedMove) {
  const SnapRect pl{97, 268, 349, 500};
  MainDragResult r = WindowSnap::endMainDrag({100, 100}, {10, 150}, 1024, pl, true);
  EXPECT_TRUE(r.docked);
  EXPECT_EQ(r.main.x, 0);
  EXPECT_EQ(r.playlist.x, 97 - 100);
  EXPECT_EQ(r.playlist.y, 268 + 50);
}

TEST(KeyDispatchTest, TableInBothCases) {
  const std::vector<std::pair<char, KeyCommand>> table = {
      {'X', KeyCommand::PlaySelected}, {'B', KeyCommand::PlayNext},
      {'Z', KeyCommand::PlayPrevious}, {'C', KeyCommand::TogglePause},
      {'V', KeyCommand::StopPlayback}, {'R', KeyCommand::ToggleRepeat},
      {'S', KeyCommand::ToggleRandom}, {'A', KeyCommand::VolumeDown},
      {'D', KeyCommand::VolumeUp},     {'Q', KeyCommand::SeekBack},
      {'E', KeyCommand::SeekForward},
  };
  for (auto [key, command] : table) {
    std::vector<KeyCommand> got;
    KeyDispatch d([&](KeyCommand c) { got.push_back(c); });
    EXPECT_TRUE(d.DispatchKey(key));
    EXPECT_TRUE(d.DispatchKey(key - 'A' + 'a'));
    ASSERT_EQ(got.size(), 2u) << key;
    EXPECT_EQ(got[0], command) << key;
    EXPECT_EQ(got[1], command) << key;
  }
  EXPECT_EQ(KeyDispatch::commandFor(0x01000020), KeyCommand::TogglePlaylist);
  for (int key : std::initializer_list<int>{'L', 'F', '1', ' ', 0x01000021 /* Ctrl */, 16}) {
    EXPECT_EQ(KeyDispatch::commandFor(key), KeyCommand::None) << key;
  }
}

TEST(MiniGeometryTest, DropsSnapToThreeEdgesButNotTheBottom) {
  struct Case {
    SnapPoint from, to;
  } cases[] = {
      {{10, 300}, {0, 300}},       {{300, 5}, {300, -3}},   {{1024 - 160, 300}, {1024 - 149, 300}},
      {{20, 20}, {20, 20}},        {{854, 700}, {854, 700}}, {{855, 760}, {875, 760}},
      {{-50, -50}, {0, -3}},
  };
  for (const auto& c : cases) {
    const SnapPoint got = MiniGeometry::snapToScreen(c.from, 1024);
    EXPECT_EQ(got.x, c.to.x) << c.from.x << "," << c.from.y;
    EXPECT_EQ(got.y, c.to.y) << c.from.x << "," << c.from.y;
  }
}

TEST(MiniGeometryTest, KnobAndSecondsUseTheirOwnOffsets) {
  EXPECT_EQ(MiniGeometry::knobForCursor(-100), 25);
  EXPECT_EQ(MiniGeometry::knobForCursor(56), 50);
  EXPECT_EQ(MiniGeometry::knobForCursor(500), 100);
  EXPECT_EQ(MiniGeometry::seekSecondsForKnob(25, 390), 5);
  EXPECT_EQ(MiniGeometry::seekSecondsForKnob(100, 390), 380);
  EXPECT_EQ(MiniGeometry::seekSecondsForKnob(100, 0), 0);
  // Ten hours of audio stay exact.
  EXPECT_EQ(MiniGeometry::seekSecondsForKnob(100, 36000), 35076);
  // The counter's knob turned back into seconds lands a little past where it was.
  EXPECT_EQ(TimeDisplay::miniKnobForPosition(195.f, 390), 64);
  EXPECT_EQ(MiniGeometry::seekSecondsForKnob(64, 390), 200);
}

TEST(MiniGeometryTest, TrayVolumeReadsThePresetsBack) {
  for (int percent : {10, 25, 50, 75, 100, 0}) {
    EXPECT_EQ(MiniGeometry::trayVolumePercent(VolumeKnob::knobForPercent(percent), 220, 83),
              percent);
  }
  EXPECT_EQ(MiniGeometry::trayVolumePercent(257, 220, 83), 50);
  EXPECT_EQ(MiniGeometry::trayVolumePercent(230, 220, 8), 0);
}
