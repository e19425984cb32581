#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/PlayerRig.h"
#include "playlist/Playlist.h"

using vemla::test::PlayerRig;
using vemla::test::readFile;
using vemla::test::writeFile;
namespace fs = std::filesystem;

TEST(PlayerList, RowsFollowAddsRemovesAndClears) {
  PlayerRig r;
  r.AddSongs(3);
  r.player.AddFileEntry("/no/such.mp3");
  r.player.AddListedCdTrack(0, 3, "Canci\xC3\xB3n", 185);
  r.ExpectRowsInStep();
  EXPECT_EQ(r.view.rows[3], "4.  - Canci\xC3\xB3n - (03:05)");

  r.player.RemoveEntry(2);
  r.ExpectRowsInStep();
  EXPECT_EQ(r.view.rows[1], "3. song3 - (00:10)");  // numbers stay as they were
  r.player.RemoveEntry(0);
  r.player.RemoveEntry(99);
  r.ExpectRowsInStep();
  r.player.RemoveEntry(r.player.List.EntryCount);
  r.ExpectRowsInStep();

  r.Select(2);
  EXPECT_EQ(r.player.SelectedEntry(), 2);
  r.view.selected = -1;
  EXPECT_EQ(r.player.SelectedEntry(), -1);
  r.player.ClearPlaylist();
  r.ExpectRowsInStep();
  EXPECT_EQ(r.player.SelectedEntry(), -2);
  r.player.ClearPlaylist();
  EXPECT_EQ(r.player.SelectedEntry(), -2);
}

TEST(PlayerList, ClearingKeepsWhatPlays) {
  PlayerRig r;
  r.AddSongs(2);
  r.PlayEntry(2);
  r.player.ClearPlaylist();
  EXPECT_EQ(r.player.List.CurrentEntry, 2);
  EXPECT_NE(r.player.CurrentSlot, -1);
  // The end of the track finds nothing to play, and no stale entry is written to.
  r.player.RepeatMode = 1;
  r.audio.End(r.CurrentHandle());
  r.view.Pump();
  r.player.AddListedEntry("/m/new.mp3", "", "new", 1);
  EXPECT_FALSE(r.player.List.Entries[2].RepeatDone);
  r.ExpectRowsInStep();
}

TEST(PlayerList, FullListIsRefusedWithOneMessage) {
  PlayerRig r;
  std::string list = "#EXTM3U\r\n";
  for (int i = 0; i < vemla::playlist::kPlaylistCapacity + 5; ++i)
    list += "/m/" + std::to_string(i) + ".mp3\r\n";
  std::string path = writeFile("lists/huge.m3u", list).string();
  r.player.LoadPlaylistFile(path);
  EXPECT_EQ(r.player.List.EntryCount, vemla::playlist::kPlaylistCapacity);
  r.audio.calls.clear();
  r.player.AddFileEntry(r.Song("more.mp3"));
  r.player.AddListedCdTrack(0, 0, "", 1);
  EXPECT_TRUE(r.audio.calls.empty());  // refused before anything is opened
  EXPECT_TRUE(r.player.List.Entries[vemla::playlist::kPlaylistCapacity + 1].Path.empty());
  ASSERT_EQ(r.view.messages.size(), 1u);
  EXPECT_EQ(r.view.messages[0], vemla::core::kPlaylistFullMessage);
  r.ExpectRowsInStep();
  r.player.RemoveEntry(1);
  r.player.AddListedEntry("/m/a.mp3", "", "", 1);
  r.player.AddListedEntry("/m/b.mp3", "", "", 1);
  EXPECT_EQ(r.view.messages.size(), 2u);
}

TEST(PlayerList, ListFilesHandedOverAndRead) {
  PlayerRig r;
  std::string song = r.Song("dropped.mp3");
  std::string list =
      writeFile("lists/a.m3u", "#EXTM3U\r\n#EXTINF:247,Artist - Title\r\nsong.mp3\r\nCDA://1,5\r\n")
          .string();
  writeFile("lists/b.pls", "[playlist]\r\n");
  r.player.HandOverFile(song);
  r.player.HandOverFile(list);
  r.player.HandOverFile(fs::path(list).replace_filename("b.pls").string());
  r.player.HandOverFile("/no/such/list.m3u");
  r.player.HandOverFile(writeFile("lists/binary.m3u", std::string("\0\1\2#EXTM3U", 10)).string());
  ASSERT_EQ(r.player.List.EntryCount, 3);
  EXPECT_EQ(r.player.List.Entries[2].Path, (fs::path(list).parent_path() / "song.mp3").string());
  EXPECT_EQ(r.view.rows[1], "2.  - Artist - Title - (04:07)");
  EXPECT_TRUE(r.player.List.Entries[3].IsCdTrack);
  EXPECT_EQ(r.player.List.Entries[3].CdDrive, 1);
  EXPECT_EQ(r.player.List.Entries[3].CdTrack, 5);
  EXPECT_TRUE(r.view.messages.empty());
  r.ExpectRowsInStep();
}

TEST(PlayerList, BadNumbersStopTheReadingWithAMessage) {
  PlayerRig r;
  std::string bad = "#EXTM3U\r\n#EXTINF:5,a\r\n/m/a.mp3\r\n#EXTINF:abc,b\r\n/m/b.mp3\r\n";
  r.player.LoadPlaylistFile(writeFile("lists/bad.m3u", bad).string());
  EXPECT_EQ(r.player.List.EntryCount, 1);
  ASSERT_EQ(r.view.messages.size(), 1u);
  EXPECT_EQ(r.view.messages[0], "'abc' is not a valid integer value");

  // At start-up the message waits until the windows are up.
  PlayerRig s;
  auto dir = vemla::test::tempDir() / "startup";
  fs::create_directories(dir);
  s.player.SetDefaults((dir / "VemlaPlayer").string());
  writeFile("startup/VemlaPlayer.M3U", bad);
  s.player.LoadAutosaveList();
  EXPECT_EQ(s.player.List.EntryCount, 1);
  EXPECT_TRUE(s.view.messages.empty());
  s.player.ShowPendingMessage();
  s.player.ShowPendingMessage();
  EXPECT_EQ(s.view.messages, std::vector<std::string>{"'abc' is not a valid integer value"});

  // So does the box of a list too long for the playlist.
  PlayerRig t;
  t.player.SetDefaults((dir / "VemlaPlayer").string());
  std::string full = "#EXTM3U\n";
  for (int i = 0; i <= vemla::playlist::kPlaylistCapacity; ++i) full += "/m/a.mp3\n";
  writeFile("startup/VemlaPlayer.M3U", full);
  t.player.LoadAutosaveList();
  EXPECT_EQ(t.player.List.EntryCount, vemla::playlist::kPlaylistCapacity);
  EXPECT_TRUE(t.view.messages.empty());
  t.player.ShowPendingMessage();
  EXPECT_EQ(t.view.messages, std::vector<std::string>{vemla::core::kPlaylistFullMessage});
  EXPECT_FALSE(s.player.AutosaveListReadWhole());
  EXPECT_FALSE(t.player.AutosaveListReadWhole());
}

// Only a list the exit's save would write back unchanged counts as read whole: one entry past
// the playlist's capacity is an unread entry, even in the player's own format.
TEST(PlayerList, AutosaveListReadWholeOnlyWhenNothingIsLeftOut) {
  auto dir = vemla::test::tempDir() / "whole";
  fs::create_directories(dir);
  std::string entries;
  for (int i = 1; i <= vemla::playlist::kPlaylistCapacity; ++i) {
    entries += "#EXTINF:" + std::to_string(i) + ",T\xc3\xadtulo " + std::to_string(i) + "\r\n/m/" +
               std::to_string(i) + ".mp3\r\n";
  }
  struct Case {
    std::string text;
    bool whole;
  } cases[] = {
      {"#EXTM3U\r\n" + entries, true},
      {"#EXTM3U\r\n" + entries + "#EXTINF:1,Otra\r\n/m/otra.mp3\r\n", false},
      {"#EXTM3U\r\n#EXTINF:3,A\r\n/m/a.mp3\r\n", true},
      {"#EXTM3U\n#EXTINF:3,A\n/m/a.mp3\n", true},
      {"#EXTM3U\r\n#EXTINF:3,A\r\n/m/a.mp3\r\n#EXTINF:4,B\r\nhttp://x/b.mp3\r\n", false},
      {"#EXTM3U\r\n#EXTINF:03,A\r\n/m/a.mp3\r\n", false},
  };
  for (const Case& c : cases) {
    PlayerRig r;
    r.player.SetDefaults((dir / "VemlaPlayer").string());
    writeFile("whole/VemlaPlayer.M3U", c.text);
    r.player.LoadAutosaveList();
    EXPECT_EQ(r.player.AutosaveListReadWhole(), c.whole) << c.text.size();
  }
}

TEST(PlayerList, SavingLists) {
  PlayerRig r;
  r.AddSongs(2, 247);
  r.player.AddListedCdTrack(0, 3, "Canci\xC3\xB3n", 185);
  auto dir = vemla::test::tempDir() / "saved";
  fs::create_directories(dir);
  r.player.SaveListAs((dir / "lista.txt").string());
  std::string bytes = readFile(dir / "lista.m3u");
  EXPECT_EQ(bytes, "#EXTM3U\r\n#EXTINF:247,song1 - \r\n" + r.PathOf(1) +
                       "\r\n#EXTINF:247,song2 - \r\n" + r.PathOf(2) +
                       "\r\n#EXTINF:185,Canci\xC3\xB3n\r\nCDA://0,3\r\n");
  EXPECT_TRUE(r.view.messages.empty());

  // Reading it back gives the same paths, lengths and titles.
  PlayerRig back;
  back.player.LoadPlaylistFile((dir / "lista.m3u").string());
  ASSERT_EQ(back.player.List.EntryCount, 3);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(back.player.List.Entries[i].Path, r.player.List.Entries[i].Path);
    EXPECT_EQ(back.player.List.Entries[i].LengthSeconds, r.player.List.Entries[i].LengthSeconds);
    EXPECT_EQ(back.player.List.Entries[i].Title, r.player.List.Entries[i].FullTitle);
  }
  EXPECT_EQ(back.view.rows[0], "1.  - song1 -  - (04:07)");

  // A failed save names the error and leaves the old file whole.
  r.player.SaveListAs((dir / "missing" / "x.m3u").string());
  ASSERT_EQ(r.view.messages.size(), 1u);
  EXPECT_NE(r.view.messages[0].find("x.m3u"), std::string::npos);

  // The autosave list at exit is silent and replaces the file in one step.
  auto prog = vemla::test::tempDir() / "prog2";
  fs::create_directories(prog);
  r.player.SetDefaults((prog / "VemlaPlayer").string());
  EXPECT_TRUE(r.player.SaveAutosaveList());
  EXPECT_EQ(readFile(prog / "VemlaPlayer.M3U"), bytes);
  r.player.SetDefaults("/nonexistent-dir/VemlaPlayer");
  setenv("XDG_CONFIG_HOME", "/proc/no-such-config", 1);
  EXPECT_FALSE(r.player.SaveAutosaveList());
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(r.view.messages.size(), 1u);

  PlayerRig empty;
  empty.player.SaveListAs((dir / "vacia").string());
  EXPECT_EQ(readFile(dir / "vacia.m3u"), "#EXTM3U\r\n");
}

TEST(PlayerList, PipesAndDevicesNeverBlock) {
  PlayerRig r;
  auto dir = vemla::test::tempDir() / "special";
  fs::create_directories(dir);
  std::string pipeMp3 = (dir / "pipe.mp3").string();
  std::string pipeList = (dir / "pipe.m3u").string();
  ASSERT_EQ(::mkfifo(pipeMp3.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(pipeList.c_str(), 0600), 0);
  r.audio.files[pipeMp3] = {};
  r.player.HandOverFile(pipeMp3);
  r.player.HandOverFile(pipeList);
  EXPECT_EQ(r.player.List.EntryCount, 0);
  r.player.AddListedEntry(pipeMp3, "", "", 1);
  r.player.List.Entries[1].FormatKind = 5;
  EXPECT_EQ(r.player.OpenEntryStream(pipeMp3, 1), -1);
  EXPECT_EQ(r.audio.Count("StreamCreateFile " + pipeMp3), 0);
}
