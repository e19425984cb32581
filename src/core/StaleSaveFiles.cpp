#include "core/StaleSaveFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace vemla::core {

namespace {

bool IsAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool AllDigits(const std::string& s, size_t from, size_t to) {
  if (from >= to) return false;
  for (size_t i = from; i < to; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

// A save in progress rewrites its file continuously; one untouched this long was abandoned.
constexpr time_t kQuietSeconds = 5;

}  // namespace

bool IsSaveTempName(const std::string& name, const std::string& base) {
  if (base.empty() || name.size() <= base.size() + 1) return false;
  if (name.compare(0, base.size(), base) != 0 || name[base.size()] != '.') return false;
  const size_t from = base.size() + 1;
  const std::string rest = name.substr(from);
  if (rest.size() == 6) {
    bool random = true;
    for (char c : rest) random = random && IsAlnum(c);
    if (random) return true;
  }
  if (rest.compare(0, 4, "tmp-") != 0) return false;
  size_t dash = rest.find('-', 4);
  return dash != std::string::npos && AllDigits(rest, 4, dash) &&
         AllDigits(rest, dash + 1, rest.size());
}

int RemoveStaleSaveFiles(const std::string& file) {
  std::string target = file;
  if (char* real = ::realpath(file.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return 0;

  DIR* d = ::opendir(dir.c_str());
  if (!d) return 0;
  const int dirFd = ::dirfd(d);
  const time_t now = std::time(nullptr);
  int removed = 0;
  while (dirent* ent = ::readdir(d)) {
    const std::string name = ent->d_name;
    if (!IsSaveTempName(name, base)) continue;
    int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        st.st_mtime <= now - kQuietSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      if (::unlinkat(dirFd, name.c_str(), 0) == 0) ++removed;
    }
    ::close(fd);
  }
  ::closedir(d);
  return removed;
}

}  // namespace vemla::core
