#pragma once
// What every whole-program test needs before it starts the player.
#include <filesystem>
#include <string>

namespace vemla::test {

// The built program folder; VEMLA_PROGRAM_DIR may name another.
std::filesystem::path builtProgram();

// A fresh copy of the built program folder at tempDir()/folder, without settings or list: the
// program must run from anywhere, and it writes beside itself.
std::filesystem::path copyBuiltProgram(const std::string& folder);

// The sanitizer's leak report of the players this process starts leaves out the toolkit's and
// the desktop libraries' process-lifetime allocations.
void quietToolkitLeaks();

}  // namespace vemla::test
