// Every test process gets a runtime folder of its own. Whole-program tests run side by side, and
// a player that finds another copy's socket hands its files over and exits, or makes that copy
// restore its windows: one test's player would disturb another's.
#include <cstdlib>
#include <filesystem>

#include "support/Fixtures.h"

namespace {

const bool kPrivateRuntime = [] {
  const std::filesystem::path dir = vemla::test::tempDir() / "runtime";
  std::filesystem::create_directories(dir);
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
  return setenv("XDG_RUNTIME_DIR", dir.c_str(), 1) == 0;
}();

}  // namespace
