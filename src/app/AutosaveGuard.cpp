#include "app/AutosaveGuard.h"

#include <algorithm>

#include "core/Ini.h"
#include "playlist/PlaylistFile.h"

namespace vemla::app {

namespace {
std::string withoutCarriageReturns(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  return s;
}
}  // namespace

bool keepUnreadAutosaveList(const std::string& listPath, const playlist::Playlist& loaded) {
  std::string bytes;
  if (!playlist::ReadWholeFile(listPath, bytes) || bytes.empty()) return false;
  if (withoutCarriageReturns(bytes) == withoutCarriageReturns(playlist::FormatPlaylist(loaded))) {
    return false;
  }
  return core::writeFileAtomically(listPath + ".bak", bytes);
}

}  // namespace vemla::app
