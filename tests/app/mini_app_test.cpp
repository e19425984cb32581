// The whole program under a window manager with a notification area: minimising brings up the
// mini window in place of the main window, its play button plays, "Maximizar" brings the main
// window back, its place survives a restart, and the tray menu's "Cerrar" ends the program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "WholeProgram.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::test;

namespace {

std::map<std::string, std::string> keyValues(const std::string& text) {
  std::map<std::string, std::string> kv;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos) kv[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return kv;
}

// Loudest sample of the left channel of 16-bit stereo sound from byte `from` on.
int peakFrom(const std::string& raw, size_t from) {
  int peak = 0;
  for (size_t i = from & ~size_t(3); i + 4 <= raw.size(); i += 4) {
    const auto v = static_cast<int16_t>(static_cast<uint8_t>(raw[i]) |
                                        (static_cast<uint8_t>(raw[i + 1]) << 8));
    peak = std::max(peak, std::abs(int(v)));
  }
  return peak;
}

TEST(WholeProgram, MinimisesToTheTrayAndPlaysFromTheMiniWindow) {
  for (const char* tool : {"xvfb-run", "xdotool", "xprop", "openbox", "trayer"}) {
    if (!haveTool(tool)) GTEST_SKIP() << "needs " << tool;
  }
  quietToolkitLeaks();
  fs::path prog = copyBuiltProgram("prog-mini");
  ASSERT_TRUE(fs::exists(prog / "VemlaPlayer")) << prog;
  fs::path song = makeSine("mini-a.wav", 20.0, 440, 44100, 2, 0.5, "-c:a pcm_s16le");
  ASSERT_FALSE(song.empty());
  writeFile("prog-mini/VemlaPlayer.M3U", "#EXTM3U\r\n#EXTINF:20,Uno\r\n" + song.string() + "\r\n");

  fs::path out = tempDir() / "mini-out.raw";
  fs::path log = tempDir() / "mini-player.log";
  fs::path report = tempDir() / "mini-report.txt";
  int rc = -1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    fs::remove(out);
    rc =
        run("xvfb-run -a -s '-screen 0 1024x768x24' " VEMLA_MINI_DRIVE_SCRIPT " '" + prog.string() +
            "' '" + out.string() + "' '" + log.string() + "' '" + report.string() + "'");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  const std::string said = readFile(report);
  ASSERT_EQ(rc, 0) << said << readFile(log);
  auto kv = keyValues(said);
  EXPECT_EQ(kv.count("error"), 0u) << said << readFile(log);

  // A 150 x 100 stay-on-top window in place of the main window.
  EXPECT_NE(kv["mini1"].find(",150,100"), std::string::npos) << said;
  EXPECT_EQ(kv["main_hidden"], "1") << said;
  EXPECT_EQ(kv["above"], "1") << said;
  // Its play button played the song: the sound written after the press is the tone.
  const std::string raw = readFile(out);
  const size_t before = std::stoul(kv["bytes_before_play"].empty() ? "0" : kv["bytes_before_play"]);
  EXPECT_GT(raw.size(), before) << said;
  EXPECT_GT(peakFrom(raw, before), 2000) << said;
  EXPECT_EQ(kv["dragged"], "400,300") << said;
  EXPECT_EQ(kv["main_back"], "1") << said;
  EXPECT_EQ(kv["mini_gone"], "1") << said;
  // The place it was dragged to came back in the next run, and "Cerrar" in the tray ended it.
  EXPECT_EQ(kv["mini2"], "400,300,150,100") << said;
  EXPECT_EQ(kv["closed_from_tray"], "1") << said;
  const std::string ini = readFile(prog / "VemlaPlayer.INI");
  EXPECT_NE(ini.find("[MINIVEMLA]\nPOSX=400\nPOSY=300"), std::string::npos) << ini;
}

}  // namespace
