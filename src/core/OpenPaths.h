#pragma once
// Files and folders handed to the player from outside (its command line, a later copy's
// command line, a desktop media controller): appended to the list in the order given and the
// first of them played.
#include <string>
#include <vector>

#include "playlist/Playlist.h"

namespace vemla::core {

class Player;

// `path` made absolute against the current folder (".." and "." folded away by name). Raw bytes
// are kept: a file name need not be valid UTF-8.
std::string AbsolutePath(const std::string& path);

// The files `paths` stand for, in order: a file as it stands, a folder its playable files (by
// extension, subfolders included) sorted by path. Missing paths are kept; adding them fails as
// any missing file does. At most `limit` files in all.
std::vector<std::string> ExpandOpenedPaths(const std::vector<std::string>& paths,
                                           size_t limit = playlist::kPlaylistCapacity);

// Appends what `paths` stand for (audio files, M3U lists; anything unplayable is skipped as the
// list skips it) and plays the first entry added. Returns the number of entries added.
int OpenAndPlay(Player& player, const std::vector<std::string>& paths);

}  // namespace vemla::core
