// The whole program in a virtual X server: it plays the first entry of its saved list on X,
// the next on B, shows and hides its information window with B_info, and leaves its settings
// and list behind when closed.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "WholeProgram.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::test;

namespace {

// Dominant frequency of successive 100 ms windows of 44.1 kHz stereo 16-bit sound, counted by
// zero crossings of the left channel; 0 for a silent window.
std::vector<int> windowTones(const std::string& raw) {
  const size_t frames = raw.size() / 4;
  const auto* s = reinterpret_cast<const int16_t*>(raw.data());
  const size_t half = 2205;
  // Frequency of 50 ms from `from` by zero crossings; 0 when quiet.
  auto tone = [&](size_t from) {
    int peak = 0, crossings = 0;
    for (size_t i = from; i < from + half; ++i) {
      int v = s[2 * i];
      peak = std::max(peak, std::abs(v));
      if (i > from && (s[2 * (i - 1)] < 0) != (v < 0)) ++crossings;
    }
    return peak < 1000 ? 0 : crossings * 10;
  };
  std::vector<int> tones;
  for (size_t start = 0; start + 2 * half <= frames; start += 2 * half) {
    // A window where a tone starts or stops mixes two frequencies and can read as a third: it
    // counts only when its halves agree.
    const int a = tone(start), b = tone(start + half);
    tones.push_back(std::abs(a - b) <= std::max(20, a / 20) ? (a + b) / 2 : 0);
  }
  return tones;
}

// The sound holds the 440 Hz file, then the 1500 Hz one, each for a while, and nothing of the
// first after the second began.
void ExpectBothTonesInOrder(const std::string& pcm) {
  int first = 0, second = 0;
  bool secondStarted = false, wrongOrder = false;
  for (int t : windowTones(pcm)) {
    if (std::abs(t - 440) <= 30) {
      ++first;
      wrongOrder = wrongOrder || secondStarted;
    } else if (std::abs(t - 1500) <= 60) {
      ++second;
      secondStarted = true;
    }
  }
  EXPECT_GE(first, 10);
  EXPECT_GE(second, 10);
  EXPECT_FALSE(wrongOrder);
}

TEST(WholeProgram, PlaysTheListSavesSettingsAndList) {
  if (!haveTool("xvfb-run") || !haveTool("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool";
  quietToolkitLeaks();
  // A copy of the program folder: it must run from anywhere and writes beside itself.
  fs::path prog = copyBuiltProgram("prog");
  ASSERT_TRUE(fs::exists(prog / "VemlaPlayer")) << prog;

  // Long tracks: the driver waits for each tone as long as a busy machine needs, and the first
  // must still be playing when B is pressed.
  fs::path a = makeSine("app-a.wav", 30.0, 440, 44100, 2, 0.5, "-c:a pcm_s16le");
  fs::path b = makeSine("app-b.wav", 30.0, 1500, 44100, 2, 0.5, "-c:a pcm_s16le");
  ASSERT_FALSE(a.empty() || b.empty());
  const std::string list = "#EXTM3U\r\n#EXTINF:30,Uno\r\n" + a.string() +
                           "\r\n#EXTINF:30,Dos\r\n" + b.string() + "\r\n";
  writeFile("prog/VemlaPlayer.M3U", list);
  // Left by a save killed long ago: cleared away at start-up.
  fs::path stale = writeFile("prog/VemlaPlayer.M3U.aB3xY9", "#EXTM3U\r\n#EXTINF:4,Un");
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));

  fs::path out = tempDir() / "out.raw";
  fs::path log = tempDir() / "player.log";
  int rc = -1;
  // xvfb-run -a can race another X server starting at the same moment: try again then.
  for (int attempt = 0; attempt < 3; ++attempt) {
    fs::remove(out);
    rc = run("xvfb-run -a -s '-screen 0 1024x768x24' " VEMLA_DRIVE_SCRIPT " '" + prog.string() +
             "' '" + out.string() + "' '" + log.string() + "'");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  ASSERT_EQ(rc, 0) << readFile(tempDir() / "commands.log") << readFile(log);

  // First the 440 Hz tone, then (after B) the 1500 Hz one, nothing else.
  std::vector<int> tones = windowTones(readFile(out));
  int first = 0, second = 0;
  bool secondStarted = false, wrongOrder = false;
  for (int t : tones) {
    if (std::abs(t - 440) <= 30) {
      ++first;
      wrongOrder = wrongOrder || secondStarted;
    } else if (std::abs(t - 1500) <= 60) {
      ++second;
      secondStarted = true;
    }
  }
  EXPECT_GE(first, 5) << "about a second of the first track";
  EXPECT_GE(second, 5) << "about a second of the second track";
  EXPECT_LT(first, 290) << "B cut the first track short";
  EXPECT_FALSE(wrongOrder);

  std::string ini = readFile(prog / "VemlaPlayer.INI");
  for (const char* line :
       {"[GENERAL]", "SILENCIO=NO", "VOLUMEN=277", "MODO_TIEMPO=2", "[FX]", "TIPO=3", "[PLAYLIST]",
        "VISIBLE=SI", "ENCLAVADO=SI", "NCANCIONES=2", "SELECT=1", "[MINIVEMLA]"}) {
    EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
  }
  EXPECT_EQ(readFile(prog / "VemlaPlayer.M3U"), list);
  EXPECT_FALSE(fs::exists(stale));
}

// The installed copy: the layout of an install, its menu entry and metainfo valid, and the
// program started from the prefix's bin/ on a folder, then "Open with" handing a second file
// to it from a new copy.
TEST(WholeProgram, InstalledCopyOpensFilesAndTakesThoseOfALaterCopy) {
  if (!haveTool("xvfb-run") || !haveTool("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool";
  quietToolkitLeaks();
  const fs::path prefix = tempDir() / "prefix", home = tempDir() / "home";
  fs::create_directories(home);
  const fs::path a = makeSine("inst-a.wav", 30.0, 440, 44100, 2, 0.5, "-c:a pcm_s16le");
  const fs::path b = makeSine("inst-b.wav", 30.0, 1500, 44100, 2, 0.5, "-c:a pcm_s16le");
  ASSERT_FALSE(a.empty() || b.empty());
  const fs::path folder = tempDir() / "opened";
  fs::create_directories(folder);
  fs::copy_file(a, folder / "a.wav");
  writeFile("opened/notes.txt", "not audio");
  const fs::path out = tempDir() / "installed.raw";
  const fs::path log = tempDir() / "installed.log";
  int rc = -1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    fs::remove(out);
    rc = run("xvfb-run -a -s '-screen 0 1024x768x24' " VEMLA_INSTALLED_SCRIPT " '" VEMLA_BUILD_DIR
             "' '" + prefix.string() + "' '" + home.string() + "' '" + folder.string() + "' '" +
             b.string() + "' '" + out.string() + "' > '" + log.string() + "' 2>&1");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  ASSERT_EQ(rc, 0) << readFile(log);

  for (const char* f : {"bin/vemlaplayer", "lib/vemlaplayer/VemlaPlayer",
                        "lib/vemlaplayer/skin/noimagen.jpg", "lib/vemlaplayer/skin/b_play.bmp",
                        "share/applications/vemlaplayer.desktop",
                        "share/metainfo/org.vemlaplayer.VemlaPlayer.metainfo.xml",
                        "share/icons/hicolor/16x16/apps/vemlaplayer.png",
                        "share/icons/hicolor/256x256/apps/vemlaplayer.png"}) {
    EXPECT_TRUE(fs::exists(prefix / f)) << f;
  }
  if (haveTool("desktop-file-validate")) {
    EXPECT_EQ(run("desktop-file-validate '" +
                  (prefix / "share/applications/vemlaplayer.desktop").string() + "'"), 0);
  }
  if (haveTool("appstreamcli")) {
    EXPECT_EQ(run("appstreamcli validate --no-net '" +
                  (prefix / "share/metainfo/org.vemlaplayer.VemlaPlayer.metainfo.xml").string() +
                  "'"), 0);
  }

  // The folder's file, then the handed-over one, nothing else.
  ExpectBothTonesInOrder(readFile(out));

  // The list it saved names both files in order; the program folder of an installed copy is
  // not writable for a user, whose files go to the config folder.
  const fs::path listFile = ::geteuid() == 0 ? prefix / "lib/vemlaplayer/VemlaPlayer.M3U"
                                             : home / "config/VemlaPlayer/VemlaPlayer.M3U";
  const std::string list = readFile(listFile);
  const size_t atA = list.find((folder / "a.wav").string()), atB = list.find(b.string());
  EXPECT_NE(atA, std::string::npos) << list;
  EXPECT_NE(atB, std::string::npos) << list;
  EXPECT_LT(atA, atB);
}

// The desktop's media controls drive the real program on a private session bus: playerctl's
// commands reach the sound and the settings, and the answers name what plays.
TEST(WholeProgram, MediaControlsOverTheSessionBus) {
  for (const char* tool : {"xvfb-run", "dbus-run-session", "playerctl", "dbus-send"}) {
    if (!haveTool(tool)) GTEST_SKIP() << "needs " << tool;
  }
  quietToolkitLeaks();
  const fs::path prog = copyBuiltProgram("mpris-prog");
  ASSERT_TRUE(fs::exists(prog / "VemlaPlayer")) << prog;
  const fs::path a = makeSine("mpris-a.wav", 30.0, 440, 44100, 2, 0.5, "-c:a pcm_s16le");
  const fs::path b = makeSine("mpris-b.mp3", 30.0, 1500, 44100, 2, 0.5,
                              "-c:a libmp3lame -b:a 192k -id3v2_version 3 -metadata title=Dos "
                              "-metadata artist=Banda -metadata album=Disco");
  ASSERT_FALSE(a.empty() || b.empty());
  writeFile("mpris-prog/VemlaPlayer.M3U", "#EXTM3U\r\n" + a.string() +
                                              "\r\n" + b.string() +
                                              "\r\n");
  const fs::path out = tempDir() / "mpris.raw";
  const fs::path log = tempDir() / "mpris.log";
  int rc = -1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    fs::remove(out);
    rc = run("xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- " VEMLA_MPRIS_SCRIPT
             " '" + prog.string() + "' '" + out.string() + "' > '" + log.string() + "' 2>&1");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  const std::string said = readFile(log);
  ASSERT_EQ(rc, 0) << said << readFile(prog / "player.log");
  for (const std::string& line : std::vector<std::string>{"title 1: mpris-a", "url 1: file://" + a.string(), "title 2: Dos", "artist 2: Banda", "album 2: Disco",
        "length 2: 30000000", "volume: 0.400000", "loop: Track", "shuffle: On", "exit: 0"}) {
    EXPECT_NE(said.find(line + "\n"), std::string::npos) << line << " in\n" << said;
  }

  ExpectBothTonesInOrder(readFile(out));

  // The requests went through the window's own controls: the settings keep them.
  const std::string ini = readFile(prog / "VemlaPlayer.INI");
  for (const char* line : {"VOLUMEN=250", "REPETIR=SI", "RANDOM=SI"}) {
    EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
  }
}

TEST(WholeProgram, EndsOnTerminationRightAsItsWindowAppears) {
  if (!haveTool("xvfb-run") || !haveTool("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool";
  const fs::path prog = copyBuiltProgram("term-prog");
  ASSERT_TRUE(fs::exists(prog / "VemlaPlayer")) << prog;
  const fs::path log = tempDir() / "term.log";
  int rc = -1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    rc = run("xvfb-run -a " VEMLA_TERM_SCRIPT " '" + prog.string() + "' > '" + log.string() +
             "' 2>&1");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  EXPECT_EQ(rc, 0) << readFile(log);
}

}  // namespace

// The decoding libraries and the hundred-odd libraries they pull in are opened by the program
// once its window is up: none of them may come back as a start-up dependency of the program.
TEST(WholeProgram, StartsWithoutTheDecodingLibraries) {
  if (!haveTool("readelf")) GTEST_SKIP() << "needs readelf";
  const fs::path exe = builtProgram() / "VemlaPlayer";
  ASSERT_TRUE(fs::exists(exe)) << exe;
  const fs::path out = tempDir() / "needed.txt";
  ASSERT_EQ(run("readelf -d '" + exe.string() + "' > '" + out.string() + "'"), 0);
  const std::string needed = readFile(out);
  ASSERT_NE(needed.find("libQt6Widgets"), std::string::npos) << needed;
  for (const char* lib : {"libavformat", "libavcodec", "libswresample", "libavutil"}) {
    EXPECT_EQ(needed.find(lib), std::string::npos) << lib << " in\n" << needed;
  }
}

// Idle with an empty list, it leaves them unloaded; a file handed to it still plays.
TEST(WholeProgram, LoadsTheDecodingLibrariesOnlyForSongs) {
  if (!haveTool("xvfb-run") || !haveTool("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool";
  quietToolkitLeaks();
  const fs::path prog = copyBuiltProgram("lazy-prog");
  const fs::path song = makeSine("lazy-a.wav", 20.0, 440, 44100, 2, 0.5, "-c:a pcm_s16le");
  ASSERT_FALSE(song.empty());
  const fs::path out = tempDir() / "lazy.raw";
  const fs::path log = tempDir() / "lazy.log";
  int rc = -1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    fs::remove(out);
    rc = run("xvfb-run -a " VEMLA_LAZY_SCRIPT " '" + prog.string() + "' '" + song.string() +
             "' '" + out.string() + "' > '" + log.string() + "' 2>&1");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  const std::string said = readFile(log) + readFile(prog / "player.log");
  ASSERT_EQ(rc, 0) << said;
  for (const char* line : {"idle_mapped=0\n", "handed_over=0\n", "played=1\n"})
    EXPECT_NE(said.find(line), std::string::npos) << line << " in\n" << said;
  EXPECT_EQ(said.find("playing_mapped=0\n"), std::string::npos) << said;
  EXPECT_EQ(said.find("error="), std::string::npos) << said;
}

// SDL is opened by the program, not by the loader: without it the user is told why, in a box.
TEST(WholeProgram, WithoutTheSoundLibraryTellsTheUserAndEnds) {
  if (!haveTool("xvfb-run") || !haveTool("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool";
  quietToolkitLeaks();
  const fs::path prog = copyBuiltProgram("nosdl-prog");
  const fs::path scratch = tempDir() / "nosdl";
  const fs::path log = tempDir() / "nosdl.log";
  int rc = -1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    rc = run("xvfb-run -a " VEMLA_NO_SOUND_LIB_SCRIPT " '" + prog.string() + "' '" +
             scratch.string() + "' > '" + log.string() + "' 2>&1");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  const std::string said = readFile(log) + readFile(scratch / "player.log");
  ASSERT_EQ(rc, 0) << said;
  for (const char* line : {"title=Error\n", "rc=1\n"})
    EXPECT_NE(said.find(line), std::string::npos) << line << " in\n" << said;
  EXPECT_NE(said.find("libSDL2"), std::string::npos) << "the reason is logged:\n" << said;
}
