#pragma once
// Extended M3U list files: the reader works on bytes in memory, the writer produces bytes;
// file access is a thin layer on top.
//
// Reading, line by line (CR LF or LF):
//   1. The first line must be exactly "#EXTM3U", else nothing is read.
//   2. "#EXTINF:<seconds>[,<title>]" sets the pending seconds and title; other "#" lines,
//      empty lines and lines "@" are ignored and keep them.
//   3. A line with "://" is an address: "CDA://<drive>,<track>" is a CD track, "file:///<path>"
//      (or "file://localhost/<path>") the local file it names, percent-decoded; others are
//      skipped.
//   4. A line beginning with "/" or with a drive ("C:\", "C:/") is an absolute path, taken as it
//      stands; any other line is relative to the list's folder.
//   5. After an entry line (skipped ones too) the pending values are reset.
// A title that is not valid UTF-8 is read as Windows-1252; so is such a path, unless its bytes
// name an existing file, when they are kept as they are. A malformed number stops the reading
// at its line with "'<text>' is not a valid integer value"; entries before it stay.
//
// Writing: a path that would not read back as one line (a line feed, or "://" in it) is
// written as a "file://" address.
#include <cstdint>
#include <string>
#include <string_view>

#include "playlist/Playlist.h"

namespace vemla::playlist {

// 2 for "M3U", 1 for "PLS", 0 for anything else (by upper-cased extension).
int PlaylistKindOf(std::string_view path);

// Receives what a list names, in order. Returning false stops the reading (for example when
// the playlist is full).
class ListSink {
 public:
  virtual ~ListSink() = default;
  virtual bool ListedEntry(const std::string& path, const std::string& title, int32_t seconds) = 0;
  virtual bool ListedCdTrack(int drive, int track, const std::string& title, int32_t seconds) = 0;
};

struct ListReadResult {
  bool isList = false;  // the first line was "#EXTM3U"
  std::string error;    // conversion message when a number was malformed; empty otherwise
};

// `listDir` ends in "/" and is prefixed to relative lines.
ListReadResult ParsePlaylist(std::string_view bytes, const std::string& listDir, ListSink& sink);

// The folder of `listPath` with its trailing "/" ("" when it has none).
std::string ListFolder(const std::string& listPath);

// Whole list file, every line ended by CR LF.
std::string FormatPlaylist(const Playlist& list);
// The lines FormatPlaylist writes for entry `index` (none for an entry it leaves out), appended.
void AppendEntryLines(std::string& out, const Playlist& list, int index);
// True when `bytes` are what FormatPlaylist writes for `list`, carriage returns aside: a list
// file that was read whole, which a save over it would not change.
bool ReadsBackAs(std::string_view bytes, const Playlist& list);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so an existing
// file is never left truncated. Returns "" on success or the error text.
std::string WriteFileReplacing(const std::string& path, std::string_view bytes);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// The name "Salvar Lista" writes to: the extension replaced by ".m3u" (added when none).
std::string SaveListName(const std::string& chosen);

}  // namespace vemla::playlist
