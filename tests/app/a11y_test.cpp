// The whole program as a screen reader meets it: an AT-SPI client finds its controls by name,
// reads the volume and the list rows, presses "Reproducir" and then "Cerrar".
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "WholeProgram.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::test;

namespace {

TEST(WholeProgram, ScreenReaderReadsAndPressesTheControls) {
  for (const char* tool : {"xvfb-run", "dbus-run-session"}) {
    if (!haveTool(tool)) GTEST_SKIP() << "needs " << tool;
  }
  if (run("python3 -c 'import pyatspi' || /usr/bin/python3 -c 'import pyatspi'") != 0) {
    GTEST_SKIP() << "needs python3-pyatspi";
  }
  quietToolkitLeaks();
  fs::path prog = copyBuiltProgram("a11y-prog");
  ASSERT_TRUE(fs::exists(prog / "VemlaPlayer")) << prog;
  fs::path a = makeSine("a11y-a.wav", 30.0, 440, 44100, 2, 0.5, "-c:a pcm_s16le");
  fs::path b = makeSine("a11y-b.wav", 30.0, 660, 44100, 2, 0.5, "-c:a pcm_s16le");
  ASSERT_FALSE(a.empty() || b.empty());
  writeFile("a11y-prog/VemlaPlayer.M3U", "#EXTM3U\r\n#EXTINF:30,Uno\r\n" + a.string() +
                                             "\r\n#EXTINF:30,Dos\r\n" + b.string() + "\r\n");

  fs::path log = tempDir() / "a11y-player.log";
  fs::path out = tempDir() / "a11y-probe.log";
  int rc = -1;
  // xvfb-run -a can race another X server starting at the same moment: try again then.
  for (int attempt = 0; attempt < 3; ++attempt) {
    rc = run("xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- " VEMLA_A11Y_SCRIPT " '" +
             prog.string() + "' '" + log.string() + "' > '" + out.string() + "' 2>&1");
    if (rc == 0 || readFile(log).find("could not connect to display") == std::string::npos) break;
  }
  ASSERT_EQ(rc, 0) << readFile(out) << readFile(log);
  EXPECT_NE(readFile(out).find("playing"), std::string::npos) << readFile(out);
  // Closed by its button, so the settings were saved as on any close.
  EXPECT_TRUE(fs::exists(prog / "VemlaPlayer.INI"));
}

}  // namespace
