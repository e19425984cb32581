#pragma once
// Defaults every test process needs, set from inside the process so they hold however the test
// is started (ctest, by hand, under a debugger). Included once, by the test entry.
#include <cstdlib>

extern "C" {
// Sanitizer runtimes look these up at start-up.
const char* __asan_default_options() { return "detect_leaks=1:strict_string_checks=1"; }
const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
// Toolkit and system libraries that keep process-lifetime allocations.
const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libQt6\nleak:libdbus\nleak:libX11\nleak:libxcb\n"
         "leak:libSDL2\nleak:libasound\nleak:libpulse\nleak:libglib\nleak:libgobject\n";
}
}

namespace vemla::test {
inline void setTestEnvironment() {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("VEMLA_PROGRAM_DIR", VEMLA_PROGRAM_DIR, 0);
  setenv("VEMLA_SOURCE_DIR", VEMLA_SOURCE_DIR, 0);
}
}  // namespace vemla::test
