// libFuzzer target: the M3U list reader over arbitrary bytes, then a write/read round trip.
// A list saved by the player must read back as the entries it was written from, and saving
// what was read back must give the same bytes again.
#include <cstdlib>
#include <string>
#include <vector>

#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"

using namespace vemla::playlist;

namespace {

struct Listed {
  bool cd = false;
  std::string path;
  std::string title;
  int32_t seconds = 0;
  int drive = 0;
  int track = 0;
};

struct Collect : ListSink {
  std::vector<Listed> all;
  bool ListedEntry(const std::string& path, const std::string& title, int32_t seconds) override {
    all.push_back({false, path, title, seconds, 0, 0});
    return true;
  }
  bool ListedCdTrack(int drive, int track, const std::string& title, int32_t seconds) override {
    all.push_back({true, "", title, seconds, drive, track});
    return true;
  }
};

// What the player does with each listed entry.
void Fill(Playlist& list, const std::vector<Listed>& read) {
  list.ClearPlaylist();
  for (const Listed& e : read) {
    if (e.cd) {
      list.AddListedCdTrack(e.drive, e.track, e.title, e.seconds);
    } else {
      list.AddListedEntry(e.path, std::string(), e.title, e.seconds);
    }
  }
}

std::string OneLine(std::string s) {
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Playlist first, second;
  const std::string dir = "/fuzz/list dir/";
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Collect read;
  ParsePlaylist(bytes, dir, read);
  if (read.all.size() > static_cast<size_t>(kPlaylistCapacity)) return 0;
  Fill(first, read.all);
  const std::string written = FormatPlaylist(first);

  Collect back;
  ListReadResult r = ParsePlaylist(written, dir, back);
  if (!r.isList || !r.error.empty()) std::abort();  // the writer wrote what its reader refuses
  // Each entry the writer kept comes back as it was, in order.
  size_t k = 0;
  for (int i = 1; i <= first.EntryCount; ++i) {
    std::string lines;
    AppendEntryLines(lines, first, i);
    if (lines.empty()) continue;
    if (k >= back.all.size()) std::abort();  // an entry written but not read back
    const Tcancion& e = first.Entries[i];
    const Listed& b = back.all[k++];
    if (b.cd != e.IsCdTrack || b.seconds != e.LengthSeconds) std::abort();
    if (b.cd && (b.drive != e.CdDrive || b.track != e.CdTrack)) std::abort();
    if (!b.cd && b.path != std::string(e.Path.view())) std::abort();
    if (b.title != OneLine(std::string(e.FullTitle.view()))) std::abort();
  }
  if (k != back.all.size()) std::abort();  // read back more than was written

  Fill(second, back.all);
  if (FormatPlaylist(second) != written) std::abort();
  return 0;
}
