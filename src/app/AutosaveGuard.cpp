#include "app/AutosaveGuard.h"

#include <algorithm>
#include <string_view>

#include "core/Ini.h"
#include "playlist/PlaylistFile.h"

namespace vemla::app {

namespace {
// Equal once every carriage return is left out of both; compared in place, since a full list
// is a few megabytes read at every start.
bool equalIgnoringCarriageReturns(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (true) {
    while (i < a.size() && a[i] == '\r') ++i;
    while (j < b.size() && b[j] == '\r') ++j;
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    // Compare the run up to the next carriage return of either side in one go.
    size_t ra = a.find('\r', i);
    size_t rb = b.find('\r', j);
    size_t n = std::min(ra == std::string_view::npos ? a.size() - i : ra - i,
                        rb == std::string_view::npos ? b.size() - j : rb - j);
    if (a.substr(i, n) != b.substr(j, n)) return false;
    i += n;
    j += n;
  }
}
}  // namespace

bool keepUnreadAutosaveList(const std::string& listPath, const playlist::Playlist& loaded) {
  std::string bytes;
  if (!playlist::ReadWholeFile(listPath, bytes) || bytes.empty()) return false;
  if (equalIgnoringCarriageReturns(bytes, playlist::FormatPlaylist(loaded))) {
    return false;
  }
  return core::writeFileAtomically(listPath + ".bak", bytes);
}

}  // namespace vemla::app
