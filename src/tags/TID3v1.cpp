#include "tags/TID3v1.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "tags/FileSource.h"
#include "tags/TagText.h"
#include "tags/WriteAccess.h"

namespace vemla::tags {

namespace {

using TagBytes = std::array<unsigned char, TID3v1::kTagLength>;

std::string Field(const TagBytes& r, size_t offset, size_t width) {
  std::string_view raw(reinterpret_cast<const char*>(r.data()) + offset, width);
  return text::Latin1ToUtf8(text::TrimRight(raw));
}

void Put(TagBytes& r, size_t offset, size_t width, const std::string& utf8) {
  // Stray bytes of malformed UTF-8 become one "?" each, so clamp to the field once more.
  std::string bytes = text::Utf8ToLatin1(utf8);
  std::memcpy(r.data() + offset, bytes.data(), bytes.size() < width ? bytes.size() : width);
}

std::string Assigned(const std::string& s, size_t width) {
  return text::CutChars(text::TrimRight(s), width);
}

bool ReadTail(ByteSource& source, TagBytes& out) {
  uint64_t size = source.Size();
  if (size < TID3v1::kTagLength) return false;
  return source.ReadExact(size - TID3v1::kTagLength, out.data(), out.size());
}

bool IsTag(const TagBytes& r) { return r[0] == 'T' && r[1] == 'A' && r[2] == 'G'; }

// Writes `r` at `offset` in the file; an append that fails part-way is cut back off.
bool WriteRecord(const std::string& fileName, const TagBytes& r, uint64_t offset, bool appending) {
  if (!WriteAccess::Clear(fileName)) return false;
  int fd = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ssize_t n = ::pwrite(fd, r.data(), r.size(), static_cast<off_t>(offset));
  bool ok = n == static_cast<ssize_t>(r.size());
  if (!ok && appending && ::ftruncate(fd, static_cast<off_t>(offset)) != 0) {
    // Nothing more can be done; the result already reports the failure.
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace

void TID3v1::Clear() {
  present_ = false;
  revision_ = 1;
  title_.clear();
  artist_.clear();
  album_.clear();
  year_.clear();
  comment_.clear();
  trackNo_ = 0;
  genreCode_ = 255;
}

bool TID3v1::Load(const std::string& fileName) {
  Clear();
  FileSource file;
  if (!file.Open(fileName)) return false;
  return LoadFrom(file);
}

bool TID3v1::LoadFrom(ByteSource& source) {
  Clear();
  TagBytes r{};
  if (!ReadTail(source, r)) return false;
  Parse(r);
  return true;
}

void TID3v1::Parse(const TagBytes& r) {
  Clear();
  if (!IsTag(r)) return;
  present_ = true;
  bool v11 = (r[125] == 0 && r[126] != 0) || (r[125] == 0x20 && r[126] != 0x20);
  revision_ = v11 ? 2 : 1;
  title_ = Field(r, 3, 30);
  artist_ = Field(r, 33, 30);
  album_ = Field(r, 63, 30);
  year_ = Field(r, 93, 4);
  if (v11) {
    comment_ = Field(r, 97, 28);
    trackNo_ = r[126];
  } else {
    comment_ = Field(r, 97, 30);
  }
  genreCode_ = r[127];
}

std::array<unsigned char, TID3v1::kTagLength> TID3v1::Record() const {
  TagBytes r{};
  r[0] = 'T', r[1] = 'A', r[2] = 'G';
  Put(r, 3, 30, title_);
  Put(r, 33, 30, artist_);
  Put(r, 63, 30, album_);
  Put(r, 93, 4, year_);
  Put(r, 97, 30, comment_);
  if (trackNo_ > 0) {
    r[125] = 0;
    r[126] = trackNo_;
  }
  r[127] = genreCode_;
  return r;
}

bool TID3v1::Strip(const std::string& fileName) {
  FileSource file;
  if (!file.Open(fileName)) return false;
  TagBytes r{};
  if (!ReadTail(file, r)) return false;
  if (!IsTag(r)) return true;
  uint64_t size = file.Size();
  if (!WriteAccess::Clear(fileName)) return false;
  return ::truncate(fileName.c_str(), static_cast<off_t>(size - kTagLength)) == 0;
}

bool TID3v1::Store(const std::string& fileName) {
  TagBytes record = Record();
  FileSource file;
  if (!file.Open(fileName)) return false;
  TagBytes old{};
  if (!ReadTail(file, old)) return false;
  uint64_t size = file.Size();
  // Overwriting an old tag in place (rather than cutting it off and appending) never leaves the
  // file without a tag when the write fails.
  if (IsTag(old)) return WriteRecord(fileName, record, size - kTagLength, false);
  return WriteRecord(fileName, record, size, true);
}

void TID3v1::SetTitle(const std::string& s) { title_ = Assigned(s, 30); }
void TID3v1::SetArtist(const std::string& s) { artist_ = Assigned(s, 30); }
void TID3v1::SetAlbum(const std::string& s) { album_ = Assigned(s, 30); }
void TID3v1::SetYear(const std::string& s) { year_ = Assigned(s, 4); }
void TID3v1::SetComment(const std::string& s) { comment_ = Assigned(s, 30); }

}  // namespace vemla::tags
