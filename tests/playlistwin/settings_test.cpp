// The INI document and the settings file: what survives a rewrite, what a bad value becomes,
// and what a run leaves behind for the next one.
#include "core/Settings.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>

#include "audio/AudioLib.h"
#include "core/Ini.h"
#include "core/Player.h"
#include "core/SettingsValues.h"
#include "core/StaleSaveFiles.h"
#include "support/Fixtures.h"
#include "tags/OtherUser.h"

namespace fs = std::filesystem;
using namespace vemla::core;
using vemla::test::readFile;
using vemla::test::tempDir;
using vemla::test::writeFile;

namespace {

TEST(Ini, RewriteKeepsUnknownLinesCaseAndLineEndings) {
  const std::string original =
      "; made by hand\r\n"
      "[General]\r\n"
      "PosX = 12 \r\n"
      "Theme=dark\r\n"
      "\r\n"
      "[Otro]\r\n"
      "a=1\r\n";
  Ini ini = Ini::parse(original);
  EXPECT_EQ(ini.serialize(), original);
  EXPECT_EQ(ini.value("GENERAL", "posx"), "12");
  EXPECT_EQ(ini.value("general", "THEME"), "dark");
  EXPECT_FALSE(ini.value("GENERAL", "missing"));
  EXPECT_FALSE(ini.value("nosection", "a"));

  ini.setValue("GENERAL", "POSX", "40");
  ini.setValue("GENERAL", "POSY", "7");
  ini.setValue("FX", "TIPO", "2");
  EXPECT_EQ(ini.serialize(),
            "; made by hand\r\n"
            "[General]\r\n"
            "PosX=40\r\n"
            "Theme=dark\r\n"
            "POSY=7\r\n"
            "\r\n"
            "[Otro]\r\n"
            "a=1\r\n"
            "\r\n"
            "[FX]\r\n"
            "TIPO=2\r\n");
}

TEST(Ini, OddLinesNeitherBreakNorGetLost) {
  // Binary junk, a header without a closing bracket, keys before any section, no final EOL;
  // a CR LF file cut short before its last LF, CR LF lines in a LF file (each rewrite used to
  // drop a CR).
  for (const std::string& original :
       {std::string("x=1\n[bad\n\x01\x02=\xff\n=novalue\n[S]\nk=v"), std::string("[S]\r\nk=v\r"),
        std::string("[S]\r"), std::string("\n[S]\r\nk=v\r\r\n;\r\r\n")}) {
    Ini ini = Ini::parse(original);
    EXPECT_EQ(ini.serialize(), original);
    EXPECT_EQ(Ini::parse(ini.serialize()).serialize(), original);
    if (original.find("k=v") != std::string::npos) {
      EXPECT_EQ(ini.value("S", "k"), "v");
    }
    ini.setValue("S", "k", "w");
    ini.setValue("T", "n", "1");
    EXPECT_EQ(ini.value("S", "k"), "w");
    EXPECT_NE(ini.serialize().find("k=w"), std::string::npos);
    EXPECT_EQ(Ini::parse(ini.serialize()).serialize(), ini.serialize()) << "a second save differs";
  }
}

TEST(Ini, SaveReplacesWholeFileAndKeepsOldOneOnFailure) {
  fs::path dir = tempDir() / "ini-save";
  fs::create_directories(dir);
  fs::path file = dir / "p.INI";
  writeFile("ini-save/p.INI", "[A]\nx=1\n");
  ::chmod(file.c_str(), 0640);
  Ini ini;
  ASSERT_TRUE(Ini::loadFile(file.string(), ini));
  ini.setValue("A", "x", "2");
  ASSERT_TRUE(ini.saveFile(file.string()));
  EXPECT_EQ(readFile(file), "[A]\nx=2\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  if (::geteuid() != 0) {  // root writes anywhere
    ::chmod(dir.c_str(), 0500);
    ini.setValue("A", "x", "3");
    EXPECT_FALSE(ini.saveFile(file.string()));
    ::chmod(dir.c_str(), 0700);
    EXPECT_EQ(readFile(file), "[A]\nx=2\n");
  }
  EXPECT_FALSE(ini.saveFile((dir / "no-such-folder" / "p.INI").string()));
  int files = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 1) << "no temporary file is left behind";

  // A settings file kept elsewhere through a link: the link stays, the file it names changes.
  fs::path link = dir / "link.INI";
  fs::create_symlink(file, link);
  ini.setValue("A", "x", "4");
  ASSERT_TRUE(ini.saveFile(link.string()));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(file), "[A]\nx=4\n");
}

TEST(SettingsValues, WholeNumbers) {
  struct Case {
    const char* text;
    std::optional<int> want;
  } cases[] = {{"12", 12},
               {" -3 ", -3},
               {"+7", 7},
               {"0", 0},
               {"", std::nullopt},
               {"-", std::nullopt},
               {"abc", std::nullopt},
               {"12abc", std::nullopt},
               {"1.5", std::nullopt},
               {"2147483647", INT_MAX},
               {"-2147483648", INT_MIN},
               {"2147483648", std::nullopt},
               {"99999999999999999999", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(parseWholeNumber(c.text), c.want) << c.text;
}

TEST(SettingsValues, BadValuesFallBackToDefaults) {
  SettingsValues current;
  current.mainLeft = 100;
  current.mainTop = 50;
  Ini ini = Ini::parse(
      "[GENERAL]\nPOSX=abc\nPOSY=-20\nSILENCIO=si\nVOLUMEN=9999\nREPETIR=SI \nRANDOM=yes\n"
      "MODO_TIEMPO=7\n[FX]\nTIPO=0\nMODO=x\n[PLAYLIST]\nVISIBLE=NO\nENCLAVADO=\nSELECT=1e3\n"
      "[MINIVEMLA]\nPOSX=\xff\xfe\n");
  SettingsValues v = readSettingsValues(ini, current);
  EXPECT_EQ(v.mainLeft, 100);
  EXPECT_EQ(v.mainTop, -20);
  EXPECT_FALSE(v.muted) << "only SI in capitals mutes";
  EXPECT_EQ(v.volume, kVolumeKnobMax);
  EXPECT_TRUE(v.repeat) << "values are trimmed";
  EXPECT_FALSE(v.random);
  EXPECT_EQ(v.timeMode, 2);
  EXPECT_EQ(v.fxType, 3);
  EXPECT_EQ(v.fxMode, 0);
  EXPECT_FALSE(v.playlistVisible);
  EXPECT_FALSE(v.playlistDocked) << "an empty value is not SI";
  EXPECT_EQ(v.select, 0);
  EXPECT_EQ(v.miniLeft, 0);

  SettingsValues none = readSettingsValues(Ini{}, current);
  EXPECT_EQ(none.mainLeft, 100);
  EXPECT_TRUE(none.playlistVisible);
  EXPECT_TRUE(none.playlistDocked);
  EXPECT_EQ(none.volume, 277);
  EXPECT_EQ(none.timeMode, 2);
  EXPECT_EQ(none.fxType, 3);
}

TEST(SettingsValues, StartSelection) {
  struct Case {
    int index, rows, want;
  } cases[] = {{-1, 3, 0}, {-5, 0, -1}, {0, 0, -1}, {2, 3, 2}, {3, 3, 0}, {INT_MAX, 3, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(startSelectionRow(c.index, c.rows), c.want) << c.index << " of " << c.rows;
  }
}

// Windows standing still at known places.
class FakeWindows : public SettingsWindows {
 public:
  Pos main{332, 96}, mini{0, 0}, playlist{0, 0};
  bool muteGlyph = false, repeatDots = false, randomDots = false;
  Pos MainWindowPos() const override { return main; }
  void MoveMainWindow(int l, int t) override { main = {l, t}; }
  Pos MiniWindowPos() const override { return mini; }
  void MoveMiniWindow(int l, int t) override { mini = {l, t}; }
  Pos PlaylistWindowPos() const override { return playlist; }
  void MovePlaylistWindow(int l, int t) override { playlist = {l, t}; }
  void SetMuteGlyph(bool m) override { muteGlyph = m; }
  void ShowRepeatDots(bool on) override { repeatDots = on; }
  void ShowRandomDots(bool on) override { randomDots = on; }
};

class SettingsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = tempDir() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(dir_);
    ini_ = (dir_ / "VemlaPlayer.INI").string();
  }
  std::unique_ptr<Player> freshPlayer() {
    auto p = std::make_unique<Player>(*audio_);
    p->SetDefaults((dir_ / "VemlaPlayer").string());
    return p;
  }
  std::unique_ptr<vemla::audio::AudioLib> audio_ = vemla::audio::createAudioLib();
  fs::path dir_;
  std::string ini_;
};

TEST_F(SettingsRun, WhatOneRunSavesTheNextRunRestores) {
  writeFile(fs::relative(dir_ / "VemlaPlayer.INI", tempDir()).string(),
            "[GENERAL]\nPOSX=1\nTEMA=oscuro\n[MIO]\nclave=valor\n");
  auto a = freshPlayer();
  FakeWindows wa;
  wa.main = {400, 300};
  wa.mini = {900, 20};
  a->RepeatMode = 1;
  a->TimeMode = 1;
  a->FxType = 1;
  a->FxMode = 1;
  a->PlaylistVisible = 0;
  a->PlaylistDocked = 0;
  a->PlaylistLeft = 640;
  a->PlaylistTop = 480;
  a->SetVolumeKnobLeft(250);
  ASSERT_TRUE(SaveSettings(*a, wa, ini_));

  std::string saved = readFile(ini_);
  EXPECT_NE(saved.find("TEMA=oscuro"), std::string::npos);
  EXPECT_NE(saved.find("clave=valor"), std::string::npos);
  EXPECT_NE(saved.find("NCANCIONES=0"), std::string::npos);
  EXPECT_NE(saved.find("SELECT=-1"), std::string::npos);

  auto b = freshPlayer();
  FakeWindows wb;
  LoadSettings(*b, wb, ini_);
  EXPECT_EQ(wb.main.left, 400);
  EXPECT_EQ(wb.main.top, 300);
  EXPECT_EQ(wb.mini.left, 900);
  EXPECT_EQ(wb.mini.top, 20);
  EXPECT_EQ(wb.playlist.left, 640);
  EXPECT_EQ(wb.playlist.top, 480);
  EXPECT_EQ(b->RepeatMode, 1);
  EXPECT_TRUE(wb.repeatDots);
  EXPECT_EQ(b->RandomMode, 0);
  EXPECT_EQ(b->TimeMode, 1);
  EXPECT_EQ(b->FxType, 1);
  EXPECT_EQ(b->FxMode, 1);
  EXPECT_EQ(b->PlaylistVisible, 0);
  EXPECT_EQ(b->PlaylistDocked, 0);
  EXPECT_EQ(b->VolumeKnobLeft, 250);
  EXPECT_EQ(b->Muted, 0);
  EXPECT_FALSE(wb.muteGlyph);
}

TEST_F(SettingsRun, MutedByTheKnobComesBackAt222) {
  auto a = freshPlayer();
  FakeWindows w;
  a->SetVolumeKnobLeft(220);
  a->Muted = 1;
  a->SavedVolume = 222;
  ASSERT_TRUE(SaveSettings(*a, w, ini_));
  std::string saved = readFile(ini_);
  EXPECT_NE(saved.find("SILENCIO=SI"), std::string::npos);
  EXPECT_NE(saved.find("VOLUMEN=222"), std::string::npos);

  auto b = freshPlayer();
  FakeWindows wb;
  LoadSettings(*b, wb, ini_);
  EXPECT_EQ(b->Muted, 1);
  EXPECT_EQ(b->SavedVolume, 222);
  EXPECT_EQ(b->VolumeKnobLeft, 220);
  EXPECT_TRUE(wb.muteGlyph);
}

TEST_F(SettingsRun, NothingWrittenWithNoSaveOrWhenTheSettingsCannotBeWritten) {
  auto a = freshPlayer();
  FakeWindows w;
  a->NoSave = 1;
  EXPECT_TRUE(SaveSettings(*a, w, ini_));
  EXPECT_FALSE(fs::exists(ini_));
  EXPECT_FALSE(fs::exists(a->AutosaveListPath()));

  // The settings path is a folder: the save stops before the autosave list is touched.
  a->NoSave = 0;
  fs::create_directories(ini_);
  EXPECT_FALSE(SaveSettings(*a, w, ini_));
  EXPECT_FALSE(fs::exists(a->AutosaveListPath()));
}

TEST_F(SettingsRun, MissingFileGivesTheDefaultsAndIsNotCreated) {
  auto p = freshPlayer();
  FakeWindows w;
  LoadSettings(*p, w, ini_);
  EXPECT_FALSE(fs::exists(ini_));
  EXPECT_EQ(w.main.left, 332);
  EXPECT_EQ(w.main.top, 96);
  EXPECT_EQ(p->Muted, 0);
  EXPECT_EQ(p->VolumeKnobLeft, 277);
  EXPECT_EQ(p->TimeMode, 2);
  EXPECT_EQ(p->FxType, 3);
  EXPECT_EQ(p->PlaylistVisible, 1);
  EXPECT_EQ(p->PlaylistDocked, 1);
  EXPECT_EQ(p->RepeatMode, 0);
  EXPECT_EQ(p->RandomMode, 0);
  EXPECT_EQ(p->CurrentSlot, -1);
}

}  // namespace

namespace {

TEST_F(SettingsRun, StartSelectionFollowsTheFileOrTheForcedSetup) {
  struct Case {
    const char* select;  // the file's "SELECT", nullptr for none
    int entries;
    bool forced;
    int forcedRow;
    int wantRow;  // -1: nothing selected
  } cases[] = {
      {"2", 3, false, 0, 2},     {"-1", 3, false, 0, 0}, {"7", 3, false, 0, 0},
      {nullptr, 3, false, 0, 0}, {"1", 0, false, 0, -1}, {"0", 3, true, 2, 2},
      {"2", 3, true, -4, 0},
  };
  for (const Case& c : cases) {
    std::string text = "[PLAYLIST]\n";
    if (c.select) text += std::string("SELECT=") + c.select + "\n";
    writeFile(fs::relative(dir_ / "VemlaPlayer.INI", tempDir()).string(), text);
    auto p = freshPlayer();
    NullPlayerView view;  // remembers the selected row
    p->SetView(&view);
    for (int i = 0; i < c.entries; ++i) p->AddListedEntry("/m/x.mp3", "", "x", 1);
    p->ForcedListLoaded = c.forced ? 1 : 0;
    p->ForcedStartRow = c.forcedRow;
    FakeWindows w;
    LoadSettings(*p, w, ini_);
    EXPECT_EQ(view.SelectedRow(), c.wantRow)
        << (c.select ? c.select : "none") << " forced " << c.forced;
    EXPECT_EQ(p->List.CurrentEntry, 0) << "selecting plays nothing";
    p->SetView(nullptr);
  }
}

// An installed copy (its folder not writable by the user): the files beside the program are the
// start until the user has copies of their own, which every save then goes to.
TEST_F(SettingsRun, ReadOnlyProgramFolderStartsFromItsFilesAndSavesToTheConfigFolder) {
  const std::string besideIni = "[GENERAL]\nPOSX=123\n[MIO]\nclave=valor\n";
  const std::string besideList = "#EXTM3U\n#EXTINF:5,A - B\n/m/a.mp3\n";
  writeFile(fs::relative(dir_ / "VemlaPlayer.INI", tempDir()).string(), besideIni);
  writeFile(fs::relative(dir_ / "VemlaPlayer.M3U", tempDir()).string(), besideList);
  fs::path config = vemla::test::UserDir("ReadOnlyProgramFolderConfig");
  fs::path mine = config / "VemlaPlayer";
  if (::geteuid() != 0) fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);

  // One run as the user: checks what it read, moves the main window, saves.
  auto runOnce = [&](int wantPosX, int newPosX) {
    return vemla::test::AsUser([&] {
      setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      auto p = freshPlayer();
      FakeWindows w;
      p->LoadAutosaveList();
      LoadSettings(*p, w);
      bool ok = p->List.EntryCount == 1 && w.main.left == wantPosX;
      w.main.left = newPosX;
      return SaveSettings(*p, w) && ok;
    });
  };
  EXPECT_TRUE(runOnce(123, 40));
  EXPECT_EQ(readFile(dir_ / "VemlaPlayer.INI"), besideIni);
  EXPECT_EQ(readFile(dir_ / "VemlaPlayer.M3U"), besideList);
  std::string saved = readFile(mine / "VemlaPlayer.INI");
  EXPECT_NE(saved.find("POSX=40"), std::string::npos) << saved;
  EXPECT_NE(saved.find("clave=valor"), std::string::npos) << saved;
  EXPECT_NE(readFile(mine / "VemlaPlayer.M3U").find("/m/a.mp3"), std::string::npos);

  // The next run reads the user's copies.
  EXPECT_TRUE(runOnce(40, 41));
  EXPECT_NE(readFile(mine / "VemlaPlayer.INI").find("POSX=41"), std::string::npos);

  // A save that cannot be written fails silently and leaves both copies whole.
  std::string before = readFile(mine / "VemlaPlayer.INI");
  fs::permissions(mine, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_FALSE(runOnce(41, 42));
  fs::permissions(mine, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(readFile(mine / "VemlaPlayer.INI"), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(mine), fs::directory_iterator()), 2);
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
}

// What a killed save left is removed at start-up; anything else beside the files stays.
TEST(StaleSaveFiles, RemovesOnlyAbandonedTemporariesOfOurFiles) {
  fs::path dir = tempDir() / "stale";
  fs::path elsewhere = tempDir() / "stale-target";
  fs::create_directories(dir);
  fs::create_directories(elsewhere);
  writeFile("stale/VemlaPlayer.M3U", "#EXTM3U\r\n");
  writeFile("stale-target/real.INI", "[A]\n");
  fs::create_symlink(elsewhere / "real.INI", dir / "VemlaPlayer.INI");

  enum Kind { kFile, kLink, kLocked, kOthers };
  struct Case {
    const char* name;
    Kind kind;
    bool old;
    bool removed;
  } cases[] = {
      {"stale/VemlaPlayer.M3U.aB3xY9", kFile, true, true},
      {"stale/VemlaPlayer.M3U.tmp-123-0", kFile, true, true},
      {"stale-target/real.INI.tmp-9-12", kFile, true, true},  // beside the link's file
      {"stale/VemlaPlayer.M3U.fresh1", kFile, false, false},  // a save may be writing it
      {"stale/VemlaPlayer.M3U.lockd1", kLocked, true, false},
      {"stale/VemlaPlayer.M3U.link01", kLink, true, false},
      {"stale/VemlaPlayer.M3U.nobody", kOthers, true, ::geteuid() != 0},
      {"stale/VemlaPlayer.M3U.bak", kFile, true, false},
      {"stale/VemlaPlayer.M3U.abcdefg", kFile, true, false},
      {"stale/VemlaPlayer.M3U.tmp-x-1", kFile, true, false},
      {"stale/Other.M3U.abcdef", kFile, true, false},
      {"stale/VemlaPlayer.INI.abcdef", kFile, true, false},  // the INI lives behind its link
  };
  std::vector<int> locks;
  for (const Case& c : cases) {
    fs::path p = tempDir() / c.name;
    if (c.kind == kLink) {
      fs::create_symlink(elsewhere / "real.INI", p);
    } else {
      writeFile(c.name, "partial");
    }
    if (c.kind == kOthers && ::geteuid() == 0) {
      EXPECT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    if (c.kind == kLocked) {
      locks.push_back(::open(p.c_str(), O_RDONLY | O_CLOEXEC));
      EXPECT_EQ(::flock(locks.back(), LOCK_EX), 0);
    }
    if (c.old && c.kind != kLink) {
      fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
  }
  int removed = 0;
  for (const char* f : {"VemlaPlayer.M3U", "VemlaPlayer.M3U.bak", "VemlaPlayer.INI"})
    removed += RemoveStaleSaveFiles((dir / f).string());
  for (const Case& c : cases) {
    EXPECT_EQ(!fs::exists(fs::symlink_status(tempDir() / c.name)), c.removed) << c.name;
  }
  EXPECT_EQ(removed, std::count_if(std::begin(cases), std::end(cases),
                                   [](const Case& c) { return c.removed; }));
  EXPECT_TRUE(fs::is_symlink(dir / "VemlaPlayer.INI"));
  for (int fd : locks) ::close(fd);
}

}  // namespace
