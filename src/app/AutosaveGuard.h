#pragma once
// The list saved at exit replaces the autosave list. When the start-up read could not take that
// file in whole (a bad number stopped it, or it is not a list at all), the exit would destroy
// entries the player never showed; a copy "<list>.bak" is kept first so nothing is lost.
#include <string>

#include "playlist/Playlist.h"

namespace vemla::app {

// Compares the file with the list as it was read (line endings aside) and, when they differ,
// writes the file's bytes to `listPath` + ".bak". True when a copy was made.
bool keepUnreadAutosaveList(const std::string& listPath, const playlist::Playlist& loaded);

}  // namespace vemla::app
