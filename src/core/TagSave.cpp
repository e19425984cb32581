#include "core/TagSave.h"

#include <limits>

#include "tags/TID3v1.h"
#include "tags/TID3v2.h"

namespace vemla::core {

namespace {
bool IsMpegKind(uint8_t kind) { return kind >= 3 && kind <= 5; }
}  // namespace

std::string BadTrackNumberMessage(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

std::string OtherVersionMessage(int majorVersion) {
  return "La etiqueta ID3v2." + std::to_string(majorVersion) +
         " de este archivo no se puede modificar; no se ha guardado nada.";
}

bool ParseWholeNumber(const std::string& text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) {
    return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

TagSaveResult SaveEntryTags(const playlist::Tcancion& entry, bool isCurrent,
                            const EditedTags& edited, int* otherVersion) {
  if (isCurrent || entry.IsCdTrack || !IsMpegKind(entry.FormatKind)) {
    return TagSaveResult::Skipped;
  }
  int32_t track = 0;
  if (!ParseWholeNumber(edited.TrackText, track)) return TagSaveResult::BadTrackNumber;
  // Above 255 the tag keeps the low 8 bits, as a byte assignment would.
  const auto trackByte = static_cast<uint8_t>(static_cast<uint32_t>(track) & 0xFF);
  const std::string path = entry.Path.str();

  tags::TID3v2 v2;
  if (v2.Load(path) && v2.Present()) {
    // The reader gives nothing of another version, so the window showed empty texts; writing
    // them would wipe the tag.
    if (v2.MajorVersion() != 3) {
      if (otherVersion) *otherVersion = v2.MajorVersion();
      return TagSaveResult::OtherVersion;
    }
    v2.SetTrackNo(trackByte);
    v2.SetTitle(edited.Title);
    v2.SetArtist(edited.Artist);
    v2.SetAlbum(edited.Album);
    v2.SetYear(edited.Year);
    v2.SetComment(edited.Comment);
    v2.SetGenre(edited.Genre);
    return v2.Store(path) ? TagSaveResult::Written : TagSaveResult::WriteFailed;
  }

  tags::TID3v1 v1;
  if (v1.Load(path) && v1.Present()) {
    v1.SetTrackNo(trackByte);
    v1.SetTitle(edited.Title);
    v1.SetArtist(edited.Artist);
    v1.SetAlbum(edited.Album);
    v1.SetYear(edited.Year);
    v1.SetComment(edited.Comment);
    return v1.Store(path) ? TagSaveResult::Written : TagSaveResult::WriteFailed;
  }
  return TagSaveResult::NoTag;
}

}  // namespace vemla::core
