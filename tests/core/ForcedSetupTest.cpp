// The forced-setup file: what its keys become, which songs reach the list and what the player
// is told to do at start-up.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/ForcedSetup.h"
#include "core/PlayerRig.h"

using namespace vemla::core;
using vemla::test::FakeAudioLib;
using vemla::test::PlayerRig;

namespace {

std::string General(const std::string& keys) { return "[GENERAL]\r\nACTIVO=1\r\n" + keys; }

// A list of `count` songs on drive 0 after `general`; song n has "TITLE=Canción n".
std::string ForcedList(int count, const std::string& extend = "PL_TIPO=cda\r\nUNIDAD=0\r\n",
                       const std::string& general = "PL_EXTEND=1\r\n") {
  std::string s =
      General(general) + "[PL_EXTEND]\r\n" + extend + "PISTAS=" + std::to_string(count) + "\r\n";
  for (int n = 1; n <= count; ++n) {
    char section[32];
    std::snprintf(section, sizeof section, "[SONG%03d]\r\n", n);
    s += section + std::string("TITLE=Canción ") + std::to_string(n) + "\r\n";
  }
  return s;
}

std::string WithLine(std::string file, const std::string& header, const std::string& line) {
  return file.insert(file.find(header) + header.size(), line);
}

void ScriptDisc(FakeAudioLib& audio, int drive, int tracks, int seconds = 192) {
  FakeAudioLib::Script script;
  script.length = 176400ull * static_cast<uint64_t>(seconds);
  for (int t = 0; t < tracks; ++t) audio.cdTracks[{drive, t}] = script;
}

TEST(ForcedSetupRead, GeneralKeysAndTheirBadValues) {
  struct Case {
    std::string file;
    bool active, autoStart;
    int32_t startRow;
    bool listAsked;
    int32_t drive, count;
  } cases[] = {
      {"", false, false, 0, false, 0, 0},
      {"[GENERAL]\nACTIVO=0\nAUTOSTART=1\n", false, false, 0, false, 0, 0},
      {"[GENERAL]\nACTIVO=SI\nAUTOSTART=1\n", false, false, 0, false, 0, 0},
      {"[GENERAL]\nACTIVO=01\n", false, false, 0, false, 0, 0},
      {"[general]\nactivo = 1 \nAutoStart=1\nSTARTRACK=5\n", true, true, 5, false, 0, 0},
      {General("STARTRACK=cinco\n"), true, false, 0, false, 0, 0},
      {General("STARTRACK=0x10\n"), true, false, 16, false, 0, 0},
      {General("PL_EXTEND=1\n") + "[PL_EXTEND]\nUNIDAD=a\nPISTAS=0x0C\n", true, false, 0, true,
       kAutomaticDrive, 12},
      {General("PL_EXTEND=1\n") + "[PL_EXTEND]\nUNIDAD=2\nPISTAS=7 canciones\n", true, false, 0,
       true, 2, 7},
      {General("PL_EXTEND=1\n") + "[PL_EXTEND]\nUNIDAD=D:\nPISTAS=muchas\n", true, false, 0, true,
       0, 0},
      {General("PL_EXTEND=1\n") + "[PL_EXTEND]\nPISTAS=99999999999\n", true, false, 0, true, 0,
       2147483647},
  };
  for (const Case& c : cases) {
    ForcedSetup f = ReadForcedSetup(c.file);
    EXPECT_EQ(f.active, c.active) << c.file;
    EXPECT_EQ(f.autoStart, c.autoStart) << c.file;
    EXPECT_EQ(f.startRow, c.startRow) << c.file;
    EXPECT_EQ(f.listAsked, c.listAsked) << c.file;
    EXPECT_EQ(f.drive, c.drive) << c.file;
    EXPECT_EQ(f.trackCount, c.count) << c.file;
  }
}

TEST(ForcedSetupRead, NumbersOfSongsAndGarbageStayBounded) {
  EXPECT_EQ(ReadForcedSetup(ForcedList(12)).songs.size(), 12u);
  ForcedSetup many = ReadForcedSetup(ForcedList(120));
  ASSERT_EQ(many.songs.size(), 99u);  // a disc has no track past the 99th
  EXPECT_EQ(many.songs[98].title, "Canción 99");
  EXPECT_EQ(many.trackCount, 120);

  // Garbage and a huge number of songs read in bounded time, whatever they hold.
  std::string garbage = General("PL_EXTEND=1\n") + "[PL_EXTEND]\nPISTAS=2000000000\n";
  uint32_t x = 12345;
  while (garbage.size() < (1u << 20)) {
    x = x * 1103515245u + 12345u;
    garbage += static_cast<char>(x >> 16);
  }
  for (int n = 1; n <= 10000; ++n) garbage += "[SONG" + std::to_string(n) + "]\nTITLE=x\n";
  ForcedSetup f = ReadForcedSetup(garbage);
  EXPECT_TRUE(f.listAsked);
  EXPECT_LE(f.songs.size(), 99u);
}

TEST(ForcedSetupApply, BuildsTheListWithTheForcedValues) {
  PlayerRig r;
  ScriptDisc(r.audio, 0, 3, 192);
  r.audio.cdTracks.erase({0, 1});  // a track that cannot be opened is left out
  std::string file = General("AUTOSTART=1\r\nSTARTRACK=1\r\nPL_EXTEND=1\r\n") +
                     "[PL_EXTEND]\r\nPL_TIPO=CDA\r\nUNIDAD=0\r\nPISTAS=3\r\n"
                     "[SONG001]\r\nTITLE=Amanecer\r\nARTIST=Pe\xf1"
                     "a\r\nTRACK=300\r\nIMG=a.jpg\r\n"
                     "COMM1=uno|dos\r\n"
                     "[SONG002]\r\nTITLE=Perdida\r\n"
                     "[SONG003]\r\nTITLE=Mr. Blue\r\nARTIST=Luis\r\n";
  ApplyForcedSetupBytes(r.player, file);
  EXPECT_TRUE(r.player.AutoPlay);
  EXPECT_TRUE(r.player.ForcedListLoaded);
  EXPECT_TRUE(r.player.NoSave);
  EXPECT_EQ(r.player.ForcedStartRow, 1);
  EXPECT_EQ(r.player.ForcedListType, 1);
  EXPECT_EQ(r.player.ForcedTrackCount, 3);
  ASSERT_EQ(r.player.List.EntryCount, 2);
  r.ExpectRowsInStep();
  EXPECT_EQ(r.view.rows[0], "1. CDA - Amanecer - 1 - (03:12)");
  EXPECT_EQ(r.view.rows[1], "2. CDA - Mr - (03:12)");
  const auto& first = r.player.List.Entries[1];
  EXPECT_TRUE(first.IsCdTrack);
  EXPECT_EQ(first.CdTrack, 0);
  EXPECT_EQ(first.Title.str(), "Amanecer");
  EXPECT_EQ(first.Artist.str(),
            "Pe\xc3\xb1"
            "a");                    // Windows-1252 read as such
  EXPECT_EQ(first.TrackNumber, 44);  // 300 in one byte
  EXPECT_EQ(first.ImageFile.str(), "a.jpg");
  EXPECT_EQ(first.Comment.str(), "uno\r\ndos\r\n");
  EXPECT_EQ(r.player.List.Entries[2].CdTrack, 2);
  EXPECT_EQ(r.player.List.Entries[2].Artist.str(), "Luis");
}

TEST(ForcedSetupApply, WhatIsLeftOutAndWhatStillHolds) {
  struct Case {
    const char* what;
    std::string file;
    int discTracks;  // -1: no disc
    int entries;
    bool forced, noSave;
  } cases[] = {
      {"inactive", "[GENERAL]\nACTIVO=0\nPL_EXTEND=1\n", 3, 0, false, false},
      {"no list asked", General("AUTOSTART=1\n"), 3, 0, false, false},
      {"no songs", ForcedList(0), 3, 0, true, false},
      {"no disc", ForcedList(3), -1, 0, true, true},
      {"fewer tracks", ForcedList(5), 3, 3, true, true},
      {"bad track number skips that song only",
       WithLine(ForcedList(3), "[SONG002]\r\n", "TRACK=x\r\n"), 3, 2, true, true},
      {"two billion songs", ForcedList(2, "PISTAS=2000000000\n"), 4, 4, true, true},
  };
  for (const Case& c : cases) {
    PlayerRig r;
    ScriptDisc(r.audio, 0, c.discTracks < 0 ? 0 : c.discTracks);
    ApplyForcedSetupBytes(r.player, c.file);
    EXPECT_EQ(r.player.List.EntryCount, c.entries) << c.what;
    EXPECT_EQ(r.player.ForcedListLoaded != 0, c.forced) << c.what;
    EXPECT_EQ(r.player.NoSave != 0, c.noSave) << c.what;
    r.ExpectRowsInStep();
  }
}

TEST(ForcedSetupApply, AutomaticDriveIsTheCdHoldingTheProgram) {
  const std::vector<std::string> drives = {"/dev/sr0", "/dev/sr1", "/tmp/disc.cue"};
  const std::string mounts =
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sr1 /media/mi\\040cd iso9660 ro 0 0\n"
      "/dev/sr0 /media/otro iso9660 ro 0 0\n"
      "/dev/sda2 /media/mi\\040cd/extra ext4 rw 0 0\n";
  struct Case {
    const char* programDir;
    int drive;
  } cases[] = {
      {"/media/mi cd/player/", 1},
      {"/media/mi cd", 1},
      {"/media/otro/", 0},
      {"/media/mi cd/extra/player/", 0},  // a disk mounted over part of the CD
      {"/media/mi cdx/", 0},
      {"/home/ana/player/", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AutomaticCdDrive(mounts, c.programDir, drives), c.drive) << c.programDir;
  }

  // Through the player: the drive list comes from the audio layer.
  PlayerRig r;
  r.audio.cdDrives = {{"/dev/sr-none-0", "uno"}, {"/dev/sr-none-1", "dos"}};
  ScriptDisc(r.audio, 0, 2);
  ApplyForcedSetupBytes(r.player, ForcedList(2, "UNIDAD=A\r\n"));
  EXPECT_EQ(r.player.ForcedDrive, kAutomaticDrive);
  ASSERT_EQ(r.player.List.EntryCount, 2);
  EXPECT_EQ(r.player.List.Entries[1].CdDrive, 0);
}

}  // namespace
