#pragma once
// The 128-byte ID3v1/ID3v1.1 tag at the end of an MPEG audio file.
#include <array>
#include <cstdint>
#include <string>

#include "tags/ByteSource.h"

namespace vemla::tags {

class TID3v1 {
 public:
  static constexpr size_t kTagLength = 128;

  TID3v1() { Clear(); }

  void Clear();

  // True when the last 128 bytes could be read, whether or not they hold a tag.
  bool Load(const std::string& fileName);
  bool LoadFrom(ByteSource& source);
  // Fills the fields from a 128-byte record.
  void Parse(const std::array<unsigned char, kTagLength>& record);

  // Removes the tag at the end of the file; true also when there is none.
  bool Strip(const std::string& fileName);
  // Writes the fields as the file's tag, replacing any old one.
  bool Store(const std::string& fileName);
  // The 128-byte record Store writes.
  std::array<unsigned char, kTagLength> Record() const;

  bool Present() const { return present_; }
  // 1 = ID3v1.0 layout (30-byte comment), 2 = ID3v1.1 (28-byte comment and a track byte).
  uint8_t Revision() const { return revision_; }
  const std::string& Title() const { return title_; }
  const std::string& Artist() const { return artist_; }
  const std::string& Album() const { return album_; }
  const std::string& Year() const { return year_; }
  const std::string& Comment() const { return comment_; }
  uint8_t TrackNo() const { return trackNo_; }
  uint8_t GenreCode() const { return genreCode_; }

  // Texts are UTF-8; trailing characters of code 0x20 or lower are removed, then the text is
  // cut to the field's width in characters (30, or 4 for the year).
  void SetTitle(const std::string& s);
  void SetArtist(const std::string& s);
  void SetAlbum(const std::string& s);
  void SetYear(const std::string& s);
  void SetComment(const std::string& s);
  void SetTrackNo(uint8_t n) { trackNo_ = n; }
  void SetGenreCode(uint8_t code) { genreCode_ = code; }

 private:
  bool present_ = false;
  uint8_t revision_ = 1;
  std::string title_;
  std::string artist_;
  std::string album_;
  std::string year_;
  std::string comment_;
  uint8_t trackNo_ = 0;
  uint8_t genreCode_ = 255;
};

}  // namespace vemla::tags
