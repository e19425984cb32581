#include <gtest/gtest.h>

#include <string>

#include "playlist/EntryInfo.h"
#include "playlist/Playlist.h"
#include "support/FakeAudioLib.h"
#include "support/Fixtures.h"

using namespace vemla::playlist;
using vemla::test::FakeAudioLib;

namespace {

std::string MakeFile(const std::string& name, size_t bytes = 1000) {
  return vemla::test::writeFile(name, std::string(bytes, 'x')).string();
}

bool IsClear(const Tcancion& e) {
  return !e.Playable && !e.InfoPending && !e.IsCdTrack && !e.RepeatDone && e.ListPosition == 0 &&
         e.SizeBytes == 0 && e.LengthSeconds == 0 && e.FormatKind == 0 && e.Path.empty() &&
         e.Title.empty() && e.Artist.empty() && e.DisplayLine.empty() && e.BitRate == 0;
}

}  // namespace

TEST(PlaylistModel, AddedFileGetsFiguresAndTexts) {
  FakeAudioLib audio;
  std::string tune = MakeFile("tune.mp3", 4321);
  audio.files[tune] = {176400ull * 65, 176400};
  Playlist list;
  ASSERT_EQ(list.AddFileEntry(audio, tune), AddResult::Added);
  const Tcancion& e = list.Entries[1];
  EXPECT_EQ(e.Artist, "tune");
  EXPECT_TRUE(e.Title.empty());
  EXPECT_EQ(e.LengthSeconds, 65);
  EXPECT_EQ(e.BitRate, 172);
  EXPECT_EQ(e.SampleRate, 44100);
  EXPECT_EQ(e.Channels, 2);
  EXPECT_EQ(e.BitsPerSample, 16);
  EXPECT_EQ(e.FormatKind, 5);
  EXPECT_EQ(e.FormatName, "MP3");
  EXPECT_EQ(e.SizeBytes, 4321u);  // the file's size, not the decoded length
  EXPECT_EQ(e.DisplayLine, "1. tune - (01:05)");
  EXPECT_EQ(e.FullTitle, "tune - ");
  EXPECT_EQ(e.NumberedName, "1. tune");
  EXPECT_TRUE(e.Playable);
  EXPECT_FALSE(e.InfoPending);
  EXPECT_EQ(audio.streams.size(), 0u);  // the information stream was freed
}

TEST(PlaylistModel, ShortAndOddStreams) {
  FakeAudioLib audio;
  std::string blip = MakeFile("blip.wav");
  std::string eight = MakeFile("eight.wav");
  audio.files[blip] = {176400 / 3, 176400};  // a third of a second: 0 whole seconds
  FakeAudioLib::Script e8;
  e8.flags = 1;
  e8.chans = 1;
  audio.files[eight] = e8;
  Playlist list;
  ASSERT_EQ(list.AddFileEntry(audio, blip), AddResult::Added);
  EXPECT_EQ(list.Entries[1].LengthSeconds, 0);
  EXPECT_EQ(list.Entries[1].BitRate, 0);
  ASSERT_EQ(list.AddFileEntry(audio, eight), AddResult::Added);
  EXPECT_EQ(list.Entries[2].BitsPerSample, 8);
  EXPECT_EQ(list.Entries[2].Channels, 1);
}

TEST(PlaylistModel, FailedReadsLeaveNoResidue) {
  FakeAudioLib audio;
  Playlist list;
  std::string rejected = MakeFile("rejected.ogg");
  EXPECT_EQ(list.AddFileEntry(audio, rejected), AddResult::Failed);
  EXPECT_EQ(list.AddFileEntry(audio, "/no/such/file.mp3"), AddResult::Failed);
  EXPECT_EQ(list.AddFileEntry(audio, MakeFile("notes.txt")), AddResult::Failed);
  EXPECT_EQ(list.AddCdTrackEntry(audio, 0, 99, "Track"), AddResult::Failed);
  EXPECT_EQ(list.EntryCount, 0);
  EXPECT_TRUE(IsClear(list.Entries[1]));
  EXPECT_EQ(audio.Count("StreamCreateFile"), 2);  // the .txt never reached the library

  // A later add starts from a clear record.
  list.AddListedEntry("/m/a.mp3", "", "A", 3);
  EXPECT_EQ(list.Entries[1].SizeBytes, 0u);

  // Reading an existing entry again and failing keeps what it had.
  Tcancion& e = list.Entries[1];
  e.SizeBytes = 77;
  EXPECT_EQ(ReadEntryInfo(audio, "/m/a.mp3", e), -1);
  EXPECT_EQ(e.SizeBytes, 77u);
  EXPECT_EQ(e.Title, "A");
}

TEST(PlaylistModel, UnreadableSizeKeepsEntryUnplayable) {
  // The library opens it, but the file cannot be opened for its size: a folder named like audio.
  FakeAudioLib audio;
  auto dir = vemla::test::tempDir() / "folder.mp3";
  std::filesystem::create_directories(dir);
  audio.files[dir.string()] = {};
  Playlist list;
  ASSERT_EQ(list.AddFileEntry(audio, dir.string()), AddResult::Added);
  EXPECT_EQ(list.EntryCount, 1);
  EXPECT_FALSE(list.Entries[1].Playable);
  EXPECT_FALSE(list.IsPlayable(1));
}

TEST(PlaylistModel, CdTracks) {
  FakeAudioLib audio;
  FakeAudioLib::Script cd;
  cd.length = 176400ull * 185;
  cd.origres = 1411;
  audio.cdTracks[{1, 5}] = cd;
  Playlist list;
  ASSERT_EQ(list.AddCdTrackEntry(audio, 1, 5, "/media/cd/Pista 06.cda"), AddResult::Added);
  const Tcancion& e = list.Entries[1];
  EXPECT_TRUE(e.IsCdTrack);
  EXPECT_EQ(e.Path, "CDA");
  EXPECT_EQ(e.FormatKind, 6);
  EXPECT_EQ(e.FormatName, "CDA");
  EXPECT_EQ(e.BitRate, 1411);
  EXPECT_EQ(e.LengthSeconds, 185);
  EXPECT_EQ(e.Artist, "Pista 06");
  EXPECT_EQ(e.DisplayLine, "1. Pista 06 - (03:05)");
}

TEST(PlaylistModel, RemoveAndClearKeepOldNumbers) {
  Playlist list;
  list.AddListedEntry("/m/1.mp3", "", "one", 1);
  list.AddListedEntry("/m/2.mp3", "", "two", 2);
  list.AddListedEntry("/m/3.mp3", "", "three", 3);
  list.CurrentEntry = 3;
  list.RemoveEntry(2);
  EXPECT_EQ(list.EntryCount, 2);
  EXPECT_EQ(list.Entries[1].DisplayLine, "1.  - one - (00:01)");
  EXPECT_EQ(list.Entries[2].DisplayLine, "3.  - three - (00:03)");
  EXPECT_EQ(list.Entries[2].ListPosition, 2);
  EXPECT_EQ(list.CurrentEntry, 3);  // unchanged on purpose
  EXPECT_TRUE(IsClear(list.Entries[3]));

  list.RemoveEntry(0);
  list.RemoveEntry(3);
  EXPECT_EQ(list.EntryCount, 2);

  list.ClearPlaylist();
  EXPECT_EQ(list.EntryCount, 0);
  EXPECT_TRUE(IsClear(list.Entries[1]));
  list.ClearPlaylist();
  EXPECT_EQ(list.EntryCount, 0);
}
