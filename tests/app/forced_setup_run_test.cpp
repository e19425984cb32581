// The whole program with a forced-setup file beside it: it lists the disc's tracks instead of
// the saved list, plays the forced start row by itself, and leaves nothing written at exit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "audio/AudioLib.h"
#include "support/CdImage.h"
#include "WholeProgram.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::test;

namespace {

// Seconds of the left channel of 44.1 kHz stereo 16-bit `raw` near `hz`, by zero crossings in
// 100 ms windows. A window counts only when both its halves agree: one where a tone starts or
// stops mixes two frequencies and can read as a third.
double secondsOfTone(const std::string& raw, int hz) {
  const size_t frames = raw.size() / 4, half = 2205;
  const auto* s = reinterpret_cast<const int16_t*>(raw.data());
  auto near = [&](size_t from) {
    int peak = 0, crossings = 0;
    for (size_t i = from; i < from + half; ++i) {
      int v = s[2 * i];
      peak = std::max(peak, std::abs(v));
      if (i > from && (s[2 * (i - 1)] < 0) != (v < 0)) ++crossings;
    }
    return peak >= 1000 && std::abs(crossings * 10 - hz) <= hz / 20 + 20;
  };
  int windows = 0;
  for (size_t start = 0; start + 2 * half <= frames; start += 2 * half) {
    if (near(start) && near(start + half)) ++windows;
  }
  return windows / 10.0;
}

TEST(WholeProgram, ForcedSetupListsTheDiscPlaysByItselfAndSavesNothing) {
  if (!haveTool("xvfb-run") || !haveTool("xdotool") || !haveTool("ffmpeg"))
    GTEST_SKIP() << "needs xvfb-run, xdotool and ffmpeg";
  quietToolkitLeaks();
  fs::path prog = copyBuiltProgram("forced-prog");
  ASSERT_TRUE(fs::exists(prog / "VemlaPlayer")) << prog;

  fs::path disc = makeCdImage("forced", {{150, 440, false, ""}, {150, 1500, false, ""}});
  ASSERT_FALSE(disc.empty());
  setenv("VEMLA_CD_IMAGES", disc.c_str(), 1);
  int drive = -1;
  {
    auto audio = vemla::audio::createAudioLib();  // the machine's own drives come first
    for (int d = 0; d < 64 && drive < 0; ++d) {
      if (audio->CD_GetDriveLetter(d) == disc.string()) drive = d;
    }
  }
  ASSERT_GE(drive, 0);

  // A saved list that must be neither loaded nor rewritten.
  fs::path saved = makeSine("forced-saved.wav", 3.0, 700, 44100, 2, 0.5, "-c:a pcm_s16le");
  const std::string list = "#EXTM3U\r\n#EXTINF:3,Guardada\r\n" + saved.string() + "\r\n";
  writeFile("forced-prog/VemlaPlayer.M3U", list);
  writeFile("forced-prog/obligador.ini",
            "[GENERAL]\r\nACTIVO=1\r\nAUTOSTART=1\r\nSTARTRACK=1\r\nPL_EXTEND=1\r\n"
            "[PL_EXTEND]\r\nPL_TIPO=CDA\r\nUNIDAD=" +
                std::to_string(drive) +
                "\r\nPISTAS=2\r\n"
                "[SONG001]\r\nTITLE=Uno\r\n[SONG002]\r\nTITLE=Dos\r\nARTIST=Grupo\r\n");

  fs::path out = tempDir() / "forced-out.raw";
  fs::path log = tempDir() / "forced-player.log";
  int rc = -1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    fs::remove(out);
    rc = run("xvfb-run -a -s '-screen 0 1024x768x24' " VEMLA_FORCED_DRIVE_SCRIPT " '" +
             prog.string() + "' '" + out.string() + "' '" + log.string() + "' 1500 16");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  unsetenv("VEMLA_CD_IMAGES");
  ASSERT_EQ(rc, 0) << readFile(tempDir() / "commands.log") << readFile(log);

  // Row 1 (the disc's second track) played by itself; neither the first track nor the saved list.
  const std::string heard = readFile(out);
  EXPECT_GE(secondsOfTone(heard, 1500), 1.5);
  EXPECT_EQ(secondsOfTone(heard, 440), 0);
  EXPECT_EQ(secondsOfTone(heard, 700), 0);
  EXPECT_FALSE(fs::exists(prog / "VemlaPlayer.INI"));
  EXPECT_EQ(readFile(prog / "VemlaPlayer.M3U"), list);
}

}  // namespace
