#pragma once
// Fixture files made at test time by real encoders, in a fresh temporary folder per process.
#include <filesystem>
#include <string>

namespace vemla::test {

// A temporary folder removed when the test program ends.
const std::filesystem::path& tempDir();

// Runs a shell command, returns its exit status (0 = success). Output goes to a log in tempDir().
int run(const std::string& command);

// True when `tool` is on PATH.
bool haveTool(const std::string& tool);

// Makes (once per process, cached by name) an audio file of a sine: `seconds` long at `hz`,
// `rate` Hz and `channels` channels, amplitude `amp` (0..1), encoded by ffmpeg with `args`
// (for example "-c:a libmp3lame -b:a 128k"). Returns an empty path when the encoder failed.
std::filesystem::path makeSine(const std::string& name, double seconds, double hz = 1000,
                               int rate = 44100, int channels = 2, double amp = 0.5,
                               const std::string& args = "");

// Writes bytes to a file under tempDir() and returns its path.
std::filesystem::path writeFile(const std::string& name, const std::string& bytes);

std::string readFile(const std::filesystem::path& path);

}  // namespace vemla::test
