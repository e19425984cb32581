#include "WholeProgram.h"

#include <cstdlib>

#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace vemla::test {

namespace {

// Every test process gets a runtime folder of its own. Whole-program tests run side by side, and
// a player that finds another copy's socket hands its files over and exits, or makes that copy
// restore its windows: one test's player would disturb another's.
const bool kPrivateRuntime = [] {
  const fs::path dir = tempDir() / "runtime";
  fs::create_directories(dir);
  fs::permissions(dir, fs::perms::owner_all);
  return setenv("XDG_RUNTIME_DIR", dir.c_str(), 1) == 0;
}();

}  // namespace

fs::path builtProgram() {
  const char* built = std::getenv("VEMLA_PROGRAM_DIR");
  return built ? fs::path(built) : fs::path(VEMLA_BUILT_PROGRAM_DIR);
}

fs::path copyBuiltProgram(const std::string& folder) {
  const fs::path prog = tempDir() / folder;
  fs::remove_all(prog);
  fs::copy(builtProgram(), prog, fs::copy_options::recursive);
  fs::remove(prog / "VemlaPlayer.INI");
  fs::remove(prog / "VemlaPlayer.M3U");
  return prog;
}

void quietToolkitLeaks() {
  const fs::path supp = writeFile("toolkit-lsan.supp",
                                  "leak:libfontconfig\nleak:libQt6\nleak:libdbus\nleak:libX11\n"
                                  "leak:libxcb\nleak:libSDL2\nleak:libasound\nleak:libpulse\n"
                                  "leak:libglib\nleak:libgobject\nleak:libatspi\n");
  setenv("LSAN_OPTIONS", ("suppressions=" + supp.string() + ":print_suppressions=0").c_str(), 1);
}

}  // namespace vemla::test
