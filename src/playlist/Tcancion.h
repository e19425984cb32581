#pragma once
// One playlist entry. Texts are UTF-8. A default-constructed record is "clear": flags false,
// numbers 0, texts empty — every entry above the playlist's EntryCount is in that state.
#include <cstdint>

#include "playlist/Text.h"

namespace vemla::playlist {

struct Tcancion {
  uint16_t ListPosition = 0;  // the entry's index; its list row is ListPosition - 1
  bool RepeatDone = false;    // already played its one extra time in repeat mode
  bool Playable = false;
  bool IsCdTrack = false;    // CdDrive/CdTrack valid, Path is "CDA"
  bool InfoPending = false;  // came from a list file: figures and tags read on each start
  Text Path;                 // absolute path of the file, or "CDA"
  Text DisplayLine;          // list row text
  Text NumberedName;         // "n. Artist - Title"
  Text FullTitle;            // "Artist - Title"; written after "#EXTINF:" in list files
  int32_t CdDrive = 0;       // 0 = first CD drive
  int32_t CdTrack = 0;       // 0 = first track
  Text StreamHost;           // never set by this program
  uint16_t StreamPort = 0;   // never set by this program
  uint32_t SizeBytes = 0;    // file size, or decoded length in bytes (low 32 bits)
  int32_t LengthSeconds = 0;
  uint8_t FormatKind = 0;  // see playlist/EntryInfo.h; 6 for a CD track, 0 while unread
  Text FormatName;         // upper-case extension or "CDA"; empty while unread
  int32_t BitRate = 0;     // shown followed by " Kbps"
  int32_t SampleRate = 0;  // Hz
  uint8_t Channels = 0;
  uint8_t BitsPerSample = 0;  // 8 or 16
  uint8_t TrackNumber = 0;
  Text Title;
  Text Artist;  // FileBaseName of the path when no artist is known
  Text Author;
  Text Album;
  Text Year;
  Text Genre;
  int32_t GenreIndex = 0;  // -1 once tags were read
  Text Comment;            // may hold two lines joined by CR LF
  Text ImageFolder;        // never set by this program
  Text ImageFile;          // set only by the forced setup
};

}  // namespace vemla::playlist
