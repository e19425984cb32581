#pragma once
// The seven text items of an ID3v2.3 tag at the start of an MPEG audio file: read, and written
// back as a new ID3v2.3 tag.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "tags/ByteSource.h"

namespace vemla::tags {

class TID3v2 {
 public:
  // Renames `from` over `to`; 0 on success (the contract of ::rename). Tests pass a failing one.
  using RenameFn = std::function<int(const char* from, const char* to)>;

  TID3v2() : TID3v2(RenameFn(::rename)) {}
  explicit TID3v2(RenameFn rename) : rename_(rename ? std::move(rename) : RenameFn(::rename)) {
    Clear();
  }

  void Clear();

  // True when the first 10 bytes could be read; texts are read only from version 3 tags.
  bool Load(const std::string& fileName);
  bool LoadFrom(ByteSource& source);

  // Replaces the file's ID3v2 tag (if any) by a new ID3v2.3 tag holding the current fields,
  // through a work file "<name>~" renamed over the original. When the old tag is version 2.3,
  // every frame other than the seven follows them, byte for byte and in its order. False on any
  // failure, with the original file untouched.
  bool Store(const std::string& fileName);
  // The header and seven frames Store writes, the header counting `keptFrameBytes` more of
  // frames that follow; false when it would exceed the largest size a tag header can state.
  bool BuildTag(std::string& out, uint64_t keptFrameBytes = 0) const;

  bool Present() const { return present_; }
  uint8_t MajorVersion() const { return majorVersion_; }
  // The whole tag size including its header; 0 when that would exceed the file.
  int32_t TagSize() const { return tagSize_; }
  const std::string& Title() const { return title_; }
  const std::string& Artist() const { return artist_; }
  const std::string& Album() const { return album_; }
  uint8_t TrackNo() const { return trackNo_; }
  const std::string& Year() const { return year_; }
  const std::string& Genre() const { return genre_; }
  const std::string& Comment() const { return comment_; }

  // Texts are UTF-8; trailing characters of code 0x20 or lower are removed.
  void SetTitle(const std::string& s);
  void SetArtist(const std::string& s);
  void SetAlbum(const std::string& s);
  void SetTrackNo(uint8_t n) { trackNo_ = n; }
  void SetYear(const std::string& s);
  void SetGenre(const std::string& s);
  void SetComment(const std::string& s);

 private:
  RenameFn rename_;
  bool present_ = false;
  uint8_t majorVersion_ = 0;
  int32_t tagSize_ = 0;
  std::string title_;
  std::string artist_;
  std::string album_;
  uint8_t trackNo_ = 0;
  std::string year_;
  std::string genre_;
  std::string comment_;
};

}  // namespace vemla::tags
