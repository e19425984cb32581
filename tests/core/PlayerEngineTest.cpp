#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "core/PlayerRig.h"

using vemla::test::PlayerRig;
namespace audio = vemla::audio;

TEST(PlayerEngine, OpenRefusalsLeaveSlotsFree) {
  PlayerRig r;
  r.AddSongs(1);
  r.player.AddListedEntry("/no/such/file.mp3", "", "gone", 5);
  std::string rejected = vemla::test::writeFile("songs/rejected.mp3", "junk").string();
  r.player.AddListedEntry(rejected, "", "junk", 5);
  r.player.List.Entries[3].FormatKind = 5;
  r.player.AddListedEntry(vemla::test::writeFile("songs/kind0.xyz", "x").string(), "", "", 0);

  r.audio.calls.clear();
  EXPECT_EQ(r.player.OpenEntryStream(r.PathOf(2), 2), -2);
  EXPECT_TRUE(r.audio.calls.empty());  // a missing file never reaches the library
  EXPECT_EQ(r.player.OpenEntryStream(rejected, 3), -1);
  EXPECT_EQ(r.player.OpenEntryStream(r.PathOf(4), 4), -1);
  for (const auto& s : r.player.StreamSlots) EXPECT_FALSE(s.InUse);

  // Every slot in use: the 130th open is refused.
  for (int i = 0; i < vemla::core::kStreamSlotCount; ++i) {
    ASSERT_EQ(r.player.OpenEntryStream(r.PathOf(1), 1), i);
  }
  EXPECT_EQ(r.player.OpenEntryStream(r.PathOf(1), 1), -3);
  EXPECT_EQ(r.player.CurrentSlot, -1);
}

TEST(PlayerEngine, StartPauseResumeStop) {
  PlayerRig r;
  r.AddSongs(1);
  r.view.timeText = "12:34";
  r.player.StopPlayback();  // nothing plays: nothing happens, the time display stays
  EXPECT_EQ(r.view.timeText, "12:34");

  r.PlayEntry(1);
  EXPECT_EQ(r.player.CurrentSlot, 0);
  EXPECT_EQ(r.player.List.CurrentEntry, 1);
  EXPECT_EQ(r.player.Stopped, 0);
  EXPECT_EQ(r.player.Paused, 0);
  EXPECT_TRUE(r.view.timers);
  EXPECT_TRUE(r.view.knobVisible);
  EXPECT_TRUE(r.view.trackEnabled);
  EXPECT_EQ(r.view.knobLeft, 6);
  EXPECT_EQ(r.view.timeText, "00:00");
  EXPECT_EQ(r.audio.streams.begin()->second.volume, 277 - 220);
  EXPECT_EQ(r.Playing(), r.PathOf(1));
  EXPECT_EQ(r.view.title, "1. song1 - (00:10)");
  EXPECT_EQ(r.view.nowPlaying, 1);

  r.player.TogglePause();
  EXPECT_EQ(r.player.Paused, 1);
  EXPECT_EQ(r.audio.ChannelIsActive(r.CurrentHandle()), audio::kPaused);
  EXPECT_FALSE(r.view.timers);
  r.player.TogglePause();
  EXPECT_EQ(r.player.Paused, 0);
  EXPECT_EQ(r.audio.ChannelIsActive(r.CurrentHandle()), audio::kPlaying);
  EXPECT_TRUE(r.view.timers);

  r.view.timeText = "00:07";
  r.player.StopPlayback();
  EXPECT_EQ(r.player.Stopped, 1);
  EXPECT_EQ(r.player.CurrentSlot, -1);
  EXPECT_TRUE(r.audio.streams.empty());
  EXPECT_FALSE(r.view.knobVisible);
  EXPECT_FALSE(r.view.trackEnabled);
  EXPECT_FALSE(r.view.timers);
  EXPECT_EQ(r.view.timeText, "00:00");
  for (const auto& s : r.player.StreamSlots) EXPECT_FALSE(s.InUse);
}

TEST(PlayerEngine, PauseBeforeAnythingPlaysLoadsTheSelectionPaused) {
  PlayerRig r;
  r.AddSongs(2);
  r.player.TogglePause();  // nothing selected: nothing at all
  EXPECT_EQ(r.player.CurrentSlot, -1);
  EXPECT_EQ(r.audio.Count("ChannelPlay"), 0);

  r.Select(2);
  r.player.TogglePause();
  EXPECT_EQ(r.player.List.CurrentEntry, 2);
  EXPECT_EQ(r.player.Paused, 1);
  EXPECT_EQ(r.player.Stopped, 0);
  EXPECT_EQ(r.player.StreamPositionSeconds(), 0.0f);
  EXPECT_FALSE(r.view.timers);
  r.player.TogglePause();
  EXPECT_EQ(r.player.Paused, 0);
  EXPECT_TRUE(r.view.timers);
}

TEST(PlayerEngine, VolumeFollowsTheKnob) {
  PlayerRig r;
  r.AddSongs(1);
  r.player.ApplyVolume();  // no stream: nothing is sent
  EXPECT_EQ(r.audio.Count("Volume"), 0);
  r.PlayEntry(1);
  struct Case {
    int knob;
    int volume;
  } cases[] = {{295, 75}, {220, 0}, {222, 2}, {9999, 75}, {-5, 0}};
  for (const auto& c : cases) {
    r.player.VolumeKnobLeft = c.knob;
    r.player.ApplyVolume();
    EXPECT_EQ(r.audio.streams.at(r.CurrentHandle()).volume, c.volume) << c.knob;
  }
  r.player.SetVolumeKnobLeft(400);
  EXPECT_EQ(r.player.VolumeKnobLeft, 295);
  EXPECT_EQ(r.view.volumeKnob, 295);
}

TEST(PlayerEngine, RefusedPlaySkipsOnwardFromThePreviousEntry) {
  PlayerRig r;
  r.AddSongs(3);
  r.PlayEntry(1);
  r.audio.refusePlayOf.insert(r.PathOf(3));
  r.PlayEntry(3);
  EXPECT_EQ(r.player.List.CurrentEntry, 2);
  EXPECT_EQ(r.Playing(), r.PathOf(2));
  EXPECT_EQ(r.audio.streams.size(), 1u);  // the refused stream was freed by the next start
}

TEST(PlayerEngine, EndOfTrackOnlyPostsAndStaleEndsAreDropped) {
  PlayerRig r;
  r.AddSongs(3);
  r.PlayEntry(1);
  r.audio.End(r.CurrentHandle());
  EXPECT_EQ(r.player.List.CurrentEntry, 1);  // nothing happens on the library's thread
  EXPECT_EQ(r.view.Pending(), 1u);
  EXPECT_EQ(r.view.Pump(), 1);
  EXPECT_EQ(r.player.List.CurrentEntry, 2);
  EXPECT_EQ(r.Playing(), r.PathOf(2));

  // Entry 2 ends, but before the request is handled the user starts entry 1 again:
  // the request concerns a stream that is gone and must not skip entry 1.
  r.audio.End(r.CurrentHandle());
  r.PlayEntry(1);
  r.view.Pump();
  EXPECT_EQ(r.player.List.CurrentEntry, 1);
  EXPECT_EQ(r.Playing(), r.PathOf(1));

  // The same after a stop.
  r.audio.End(r.CurrentHandle());
  r.player.StopPlayback();
  r.view.Pump();
  EXPECT_EQ(r.player.CurrentSlot, -1);

  // Posted from another thread, as the real layer does.
  r.PlayEntry(1);
  vemla::audio::Handle h = r.CurrentHandle();
  std::thread t([&] { r.audio.End(h); });
  t.join();
  r.view.Pump();
  EXPECT_EQ(r.player.List.CurrentEntry, 2);
}

TEST(PlayerEngine, StartupDefaultsAndPaths) {
  PlayerRig r;
  EXPECT_EQ(r.player.ProgramDir, "/opt/vemla/");
  r.player.SetDefaults("VemlaPlayer");
  EXPECT_EQ(r.player.ProgramDir, "");

  auto dir = vemla::test::tempDir() / "prog";
  std::filesystem::create_directories(dir);
  r.player.SetDefaults((dir / "VemlaPlayer").string());
  EXPECT_EQ(r.player.SettingsFilePath(), (dir / "VemlaPlayer.INI").string());
  EXPECT_EQ(r.player.AutosaveListPath(), (dir / "VemlaPlayer.M3U").string());

  // A folder the program cannot write to sends its files to the user's config folder.
  auto config = vemla::test::tempDir() / "config";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  r.player.SetDefaults("/nonexistent/bin/VemlaPlayer");
  EXPECT_EQ(r.player.AutosaveListPath(), (config / "VemlaPlayer" / "VemlaPlayer.M3U").string());
  EXPECT_TRUE(std::filesystem::is_directory(config / "VemlaPlayer"));
  unsetenv("XDG_CONFIG_HOME");

  r.player.SetDefaults("");  // the running executable
  EXPECT_FALSE(r.player.ProgramDir.empty());
  EXPECT_EQ(r.player.ProgramDir.back(), '/');
}

TEST(PlayerEngine, ReadsStayInsideTheListAndStreamsDieWithThePlayer) {
  vemla::test::FakeAudioLib audio;
  {
    PlayerRig r;
    r.AddSongs(1);
    EXPECT_EQ(r.player.ReadEntryInfo(r.PathOf(1), 2), -1);
    EXPECT_EQ(r.player.ReadEntryInfo(r.PathOf(1), 0), -1);
    EXPECT_EQ(r.player.ReadEntryInfo(r.PathOf(1), 1), 0);
    EXPECT_EQ(r.player.ReadCdTrackInfo(0, 0, 5, "x"), -1);
    EXPECT_TRUE(r.player.List.Entries[2].Path.empty());

    // A stream opened but not started, and one playing: both freed with the Player.
    vemla::core::Player p(audio);
    p.SetView(&r.view);
    audio.files = r.audio.files;
    p.AddFileEntry(r.PathOf(1));
    ASSERT_EQ(p.List.EntryCount, 1);
    r.view.SelectRow(0);
    p.PlaySelected();
    ASSERT_GE(p.OpenEntryStream(p.List.Entries[1].Path, 1), 0);
    EXPECT_EQ(audio.streams.size(), 2u);
  }
  EXPECT_TRUE(audio.streams.empty());
}
