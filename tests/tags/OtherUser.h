#pragma once
// Permission bits do not stop root, so write-fault cases run their operation in a child process
// under the unprivileged user "nobody" when the tests run as root.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "support/Fixtures.h"

namespace vemla::test {

constexpr uid_t kNobody = 65534;

// A folder the unprivileged user owns (our own when not root).
inline std::filesystem::path UserDir(const std::string& name) {
  namespace fs = std::filesystem;
  fs::path dir = tempDir() / name;
  fs::create_directories(dir);
  if (::geteuid() == 0) {
    fs::permissions(tempDir(), fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    if (::chown(dir.c_str(), kNobody, kNobody) != 0) return {};
  }
  return dir;
}

// Makes `path` belong to the unprivileged user.
inline void GiveToUser(const std::filesystem::path& path) {
  if (::geteuid() == 0 && ::chown(path.c_str(), kNobody, kNobody) != 0) {
    ADD_FAILURE() << "chown " << path;
  }
}

inline bool AsUser(const std::function<bool()>& op) {
  if (::geteuid() != 0) return op();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
    ::_exit(op() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "child status " << status;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vemla::test
