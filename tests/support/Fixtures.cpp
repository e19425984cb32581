#include "support/Fixtures.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vemla::test {

namespace {
struct TempDir {
  fs::path path;
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "vemla-test-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    path = made ? fs::path(made) : fs::temp_directory_path() / "vemla-test";
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
};

std::string quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}
}  // namespace

const fs::path& tempDir() {
  static TempDir dir;
  return dir.path;
}

int run(const std::string& command) {
  std::string full = "(" + command + ") >>" + quote((tempDir() / "commands.log").string()) + " 2>&1";
  int status = std::system(full.c_str());
  if (status == -1) return -1;
  return WEXITSTATUS(status);
}

bool haveTool(const std::string& tool) {
  return run("command -v " + quote(tool)) == 0;
}

fs::path makeSine(const std::string& name, double seconds, double hz, int rate, int channels,
                  double amp, const std::string& args) {
  static std::mutex lock;
  static std::map<std::string, fs::path> made;
  std::lock_guard<std::mutex> guard(lock);
  auto it = made.find(name);
  if (it != made.end()) return it->second;
  fs::path out = tempDir() / name;
  std::ostringstream cmd;
  cmd << "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
      << quote("aevalsrc=" + std::to_string(amp) + "*sin(2*PI*" + std::to_string(hz) +
               "*t):s=" + std::to_string(rate) + ":d=" + std::to_string(seconds))
      << " -ac " << channels << " " << args << " " << quote(out.string());
  fs::path result = run(cmd.str()) == 0 && fs::exists(out) ? out : fs::path();
  made[name] = result;
  return result;
}

fs::path writeFile(const std::string& name, const std::string& bytes) {
  fs::path out = tempDir() / name;
  fs::create_directories(out.parent_path());
  std::ofstream f(out, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out;
}

std::string readFile(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace vemla::test
