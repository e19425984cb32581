#pragma once
// Writing the information window's edited texts back into an entry's file. The rules: the file
// of the entry that plays is never rewritten; only the MPEG kinds are written; an ID3v2.3 tag is
// rewritten in place (every frame not edited here kept), else an ID3v1 tag; a file without a tag
// never receives one, and a tag of another ID3v2 version is never overwritten.
#include <string>

#include "playlist/Tcancion.h"

namespace vemla::core {

struct EditedTags {
  std::string TrackText;  // as typed; must be a whole number
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Genre;    // written into ID3v2 tags only
  std::string Comment;  // lines joined by CR LF
};

enum class TagSaveResult {
  Skipped,         // the current entry, a CD track or a kind that is never written
  BadTrackNumber,  // nothing written; the user is told (BadTrackNumberMessage)
  OtherVersion,    // an ID3v2 tag this program does not rewrite; the user is told
  NoTag,           // nothing to update
  Written,
  WriteFailed,  // silent; the file is whole (rewritten or untouched)
};

// The runtime's conversion message for a track number that is not a whole number.
std::string BadTrackNumberMessage(const std::string& text);
// What the user is told when the file's ID3v2 tag is of another version.
std::string OtherVersionMessage(int majorVersion);

// A whole decimal number, as the conversion of the texts typed in the window reads it: optional
// leading blanks, an optional sign, digits, within 32 bits. False for anything else.
bool ParseWholeNumber(const std::string& text, int32_t& value);

// Saves `edited` into the file of `entry`; `isCurrent` when it is the entry that plays. On
// OtherVersion, `*otherVersion` (when given) receives the tag's major version.
TagSaveResult SaveEntryTags(const playlist::Tcancion& entry, bool isCurrent,
                            const EditedTags& edited, int* otherVersion = nullptr);

}  // namespace vemla::core
