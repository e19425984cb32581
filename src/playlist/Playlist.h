#pragma once
// The playlist model: entries 1…40000, their count, the current entry and the last
// right-clicked row, with the operations that add, remove and clear entries and build their
// texts. It knows nothing of windows: the core's Player mirrors every change into the list view,
// so that row r always shows DisplayLine of entry r + 1.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "audio/AudioLib.h"
#include "playlist/Tcancion.h"

namespace vemla::playlist {

constexpr int kPlaylistCapacity = 40000;

// Entries indexed from 1. Storage for all 40,000 is reserved up front (address space only), so
// references to entries stay valid while the list grows; entries never written read as clear.
class EntryArray {
 public:
  EntryArray();
  // 1…kPlaylistCapacity. Any other index reads a clear entry and writes go nowhere.
  const Tcancion& operator[](int index) const;
  Tcancion& operator[](int index);
  // The entry at `index` made clear, whatever touched it before (a new entry always starts so).
  Tcancion& Clear(int index);
  // Drops storage of entries above `count` (they are clear by then).
  void Trim(int count);

 private:
  std::vector<Tcancion> v_;  // v_[0] is entry 1
  Tcancion scratch_;         // target of out-of-range writes
};

enum class AddResult {
  Added,
  Failed,  // the file or track cannot be opened as audio: nothing added
  Full,    // already 40,000 entries: nothing added
};

class Playlist {
 public:
  EntryArray Entries;
  int32_t EntryCount = 0;
  int32_t CurrentEntry = 0;  // entry last started; 0 before anything was
  int32_t ClickedRow = 0;    // row under the last right-click

  // Appends; on Added the new entry is Entries[EntryCount] with its texts built.
  AddResult AddFileEntry(audio::AudioLib& audio, const std::string& path);
  AddResult AddCdTrackEntry(audio::AudioLib& audio, int drive, int track, const std::string& name);
  AddResult AddListedEntry(const std::string& path, const std::string& author,
                           const std::string& title, int32_t seconds);
  AddResult AddListedCdTrack(int drive, int track, const std::string& title, int32_t seconds);

  // index 1…EntryCount; others are ignored. Moved entries keep their texts.
  void RemoveEntry(int index);
  void ClearPlaylist();

  std::string BuildNumberedName(int index) const;
  std::string BuildFullTitle(int index) const;
  std::string BuildDisplayLine(std::string_view text, int index) const;

  // An index between 1 and EntryCount whose entry is Playable.
  bool IsPlayable(int index) const;

 private:
  AddResult Commit(int n);
  std::string scratch_;  // reused by Commit for the texts it builds
};

// The row text: `text` cut by a character-weighted width estimate, then " - (mm:ss)".
std::string BuildDisplayLine(std::string_view text, int32_t lengthSeconds);

}  // namespace vemla::playlist
