#include "app/AutosaveGuard.h"

#include <algorithm>
#include <string_view>

#include "core/Ini.h"
#include "playlist/PlaylistFile.h"

namespace vemla::app {

namespace {
// Walks the file's bytes against text handed over piece by piece, carriage returns left out
// of both, so the list need not be formatted whole (a full list is a few megabytes, read at
// every start).
class CrFreeMatcher {
 public:
  explicit CrFreeMatcher(std::string_view bytes) : bytes_(bytes) {}

  bool take(std::string_view piece) {
    size_t j = 0;
    while (true) {
      while (i_ < bytes_.size() && bytes_[i_] == '\r') ++i_;
      while (j < piece.size() && piece[j] == '\r') ++j;
      if (j == piece.size()) return true;
      if (i_ == bytes_.size()) return false;
      // The run up to the next carriage return of either side, compared in one go.
      size_t ra = bytes_.find('\r', i_);
      size_t rb = piece.find('\r', j);
      size_t n = std::min(ra == std::string_view::npos ? bytes_.size() - i_ : ra - i_,
                          rb == std::string_view::npos ? piece.size() - j : rb - j);
      if (bytes_.substr(i_, n) != piece.substr(j, n)) return false;
      i_ += n;
      j += n;
    }
  }

  bool atEnd() {
    while (i_ < bytes_.size() && bytes_[i_] == '\r') ++i_;
    return i_ == bytes_.size();
  }

 private:
  std::string_view bytes_;
  size_t i_ = 0;
};

bool readsBackAs(std::string_view bytes, const playlist::Playlist& list) {
  CrFreeMatcher m(bytes);
  if (!m.take("#EXTM3U\r\n")) return false;
  std::string lines;
  for (int i = 1; i <= list.EntryCount; ++i) {
    lines.clear();
    playlist::AppendEntryLines(lines, list, i);
    if (!m.take(lines)) return false;
  }
  return m.atEnd();
}

}  // namespace

bool keepUnreadAutosaveList(const std::string& listPath, const playlist::Playlist& loaded) {
  std::string bytes;
  if (!playlist::ReadWholeFile(listPath, bytes) || bytes.empty()) return false;
  if (readsBackAs(bytes, loaded)) {
    return false;
  }
  return core::writeFileAtomically(listPath + ".bak", bytes);
}

}  // namespace vemla::app
