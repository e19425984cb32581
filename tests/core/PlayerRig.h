#pragma once
// A Player on the scripted audio layer with a recording view, and helpers to fill its list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/Player.h"
#include "core/RecordingView.h"
#include "support/FakeAudioLib.h"
#include "support/Fixtures.h"

namespace vemla::test {

struct PlayerRig {
  FakeAudioLib audio;
  RecordingView view;
  core::Player player{audio};

  PlayerRig() {
    player.SetView(&view);
    player.SetDefaults("/opt/vemla/VemlaPlayer");
    player.SeedRandom(7);
  }

  // A file on disk that the fake layer plays for `seconds`.
  std::string Song(const std::string& name, int seconds = 10) {
    auto path = writeFile("songs/" + name, std::string(64, 's')).string();
    FakeAudioLib::Script script;
    script.length = 176400ull * static_cast<uint64_t>(seconds);
    audio.files[path] = script;
    return path;
  }
  // Adds `count` files read at once; returns the path of the last.
  void AddSongs(int count, int seconds = 10) {
    for (int i = 1; i <= count; ++i)
      player.AddFileEntry(Song("song" + std::to_string(i) + ".mp3", seconds));
  }
  void Select(int index) { view.SelectRow(index - 1); }
  void PlayEntry(int index) {
    Select(index);
    player.PlaySelected();
  }
  // Source path of the stream now playing or paused ("" when none).
  std::string Playing() {
    return audio.Source(audio.Active()) == "?" ? "" : audio.Source(audio.Active());
  }
  std::string PathOf(int index) { return player.List.Entries[index].Path; }
  audio::Handle CurrentHandle() {
    return player.CurrentSlot < 0 ? 0 : player.StreamSlots[player.CurrentSlot].Handle;
  }
  // The list view shows the model: one row per entry, each with its entry's text.
  void ExpectRowsInStep() {
    const auto& l = player.List;
    ASSERT_EQ(static_cast<int>(view.rows.size()), l.EntryCount);
    for (int i = 1; i <= l.EntryCount; ++i) {
      EXPECT_EQ(view.rows[i - 1], l.Entries[i].DisplayLine.str()) << "row " << i - 1;
      EXPECT_EQ(l.Entries[i].ListPosition, i);
    }
  }
};

}  // namespace vemla::test
