#include "app/AutosaveGuard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/Ini.h"
#include "playlist/PlaylistFile.h"

namespace vemla::app {

namespace {
// Reads the file piece by piece against text handed over piece by piece, carriage returns
// left out of both, so that neither the file nor the formatted list is held whole: a full list
// is a few megabytes, checked at every start.
class CrFreeMatcher {
 public:
  explicit CrFreeMatcher(int fd) : fd_(fd) {}

  bool take(std::string_view piece) {
    size_t j = 0;
    while (true) {
      while (j < piece.size() && piece[j] == '\r') ++j;
      if (j == piece.size()) return true;
      if (!skipCarriageReturns()) return false;
      // The run up to the next carriage return of either side (or the end of what is read),
      // compared in one go.
      const char* cr = static_cast<const char*>(std::memchr(buf_ + i_, '\r', n_ - i_));
      size_t na = cr ? static_cast<size_t>(cr - (buf_ + i_)) : n_ - i_;
      size_t rb = piece.find('\r', j);
      size_t n = std::min(na, rb == std::string_view::npos ? piece.size() - j : rb - j);
      if (std::memcmp(buf_ + i_, piece.data() + j, n) != 0) return false;
      i_ += n;
      j += n;
    }
  }

  // True when nothing but carriage returns is left and the file was read without error.
  bool atEnd() { return !skipCarriageReturns() && !failed_; }

 private:
  // False at the end of the file (or on a read error).
  bool skipCarriageReturns() {
    while (true) {
      while (i_ < n_ && buf_[i_] == '\r') ++i_;
      if (i_ < n_) return true;
      ssize_t r;
      do {
        r = ::read(fd_, buf_, sizeof buf_);
      } while (r < 0 && errno == EINTR);
      if (r <= 0) {
        failed_ = r < 0;
        return false;
      }
      i_ = 0;
      n_ = static_cast<size_t>(r);
    }
  }

  int fd_;
  char buf_[65536];
  size_t i_ = 0;
  size_t n_ = 0;
  bool failed_ = false;
};

// The file holds exactly what the list would be written as, line endings aside.
bool readsBackAs(const std::string& path, const playlist::Playlist& list) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool same = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    auto m = std::make_unique<CrFreeMatcher>(fd);
    same = m->take("#EXTM3U\r\n");
    std::string lines;
    for (int i = 1; same && i <= list.EntryCount; ++i) {
      lines.clear();
      playlist::AppendEntryLines(lines, list, i);
      same = m->take(lines);
    }
    same = same && m->atEnd();
  }
  ::close(fd);
  return same;
}

}  // namespace

bool keepUnreadAutosaveList(const std::string& listPath, const playlist::Playlist& loaded) {
  if (readsBackAs(listPath, loaded)) return false;
  std::string bytes;
  if (!playlist::ReadWholeFile(listPath, bytes) || bytes.empty()) return false;
  return core::writeFileAtomically(listPath + ".bak", bytes);
}

}  // namespace vemla::app
