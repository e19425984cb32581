#include "core/OpenPaths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/Player.h"
#include "playlist/EntryInfo.h"

namespace vemla::core {

namespace fs = std::filesystem;

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(path), ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

namespace {

bool IsPlayableName(const fs::path& file) {
  return playlist::FormatKindOf(playlist::UpperExtension(file.filename().string())) != 0;
}

void AddFolder(const fs::path& folder, size_t limit, std::vector<std::string>& out) {
  std::vector<std::string> found;
  std::error_code ec;
  // Links to folders are not followed: a link back up the tree would never end.
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code fileEc;
    if (it->is_regular_file(fileEc) && IsPlayableName(it->path())) {
      found.push_back(it->path().string());
      if (out.size() + found.size() >= limit) break;
    }
  }
  std::sort(found.begin(), found.end());
  for (auto& f : found) {
    if (out.size() >= limit) return;
    out.push_back(std::move(f));
  }
}

}  // namespace

std::vector<std::string> ExpandOpenedPaths(const std::vector<std::string>& paths, size_t limit) {
  std::vector<std::string> out;
  for (const std::string& p : paths) {
    if (out.size() >= limit) break;
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
      AddFolder(p, limit, out);
    } else {
      out.push_back(p);
    }
  }
  return out;
}

int OpenAndPlay(Player& player, const std::vector<std::string>& paths) {
  const int before = player.List.EntryCount;
  for (const std::string& file : ExpandOpenedPaths(paths)) {
    if (player.List.EntryCount >= playlist::kPlaylistCapacity) break;
    player.HandOverFile(file);
  }
  const int added = player.List.EntryCount - before;
  if (added > 0) {
    player.View().SelectRow(before);
    player.PlaySelected();
  }
  return added;
}

}  // namespace vemla::core
