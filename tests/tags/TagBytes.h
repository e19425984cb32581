#pragma once
// Hand-built tag bytes for the reader tests.
#include <cstdint>
#include <string>

#include "tags/TID3v1.h"
#include "tags/TID3v2.h"
#include "tags/TOggVorbis.h"

namespace vemla::test {

inline std::string BigEndian(uint32_t v) {
  return {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
}

inline std::string LittleEndian(uint32_t v) {
  return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

// An ID3v2 frame with a declared size of the data's length unless `size` is given.
inline std::string Frame(const std::string& id, const std::string& data, int64_t size = -1) {
  uint32_t declared = size < 0 ? uint32_t(data.size()) : uint32_t(size);
  return id + BigEndian(declared) + std::string(2, '\0') + data;
}

// An ID3v2 tag of `version` around `body`, stating `size` (default: the body's length).
inline std::string Id3v2(const std::string& body, int version = 3, int64_t size = -1) {
  uint32_t s = size < 0 ? uint32_t(body.size()) : uint32_t(size);
  std::string h = "ID3";
  h += char(version);
  h += std::string(2, '\0');
  for (int shift : {21, 14, 7, 0}) h += char((s >> shift) & 0x7F);
  return h + body;
}

// Bytes that look like MPEG audio frames, to stand after a tag.
inline std::string FakeAudio(size_t n) {
  std::string a;
  for (size_t i = 0; i < n; ++i) a += char(i % 4 == 0 ? 0xFF : (i * 37) & 0xFF);
  return a;
}

// The readers' texts joined by "|" so one comparison shows every field.
inline std::string Fields(const tags::TID3v2& t) {
  return t.Title() + "|" + t.Artist() + "|" + t.Album() + "|" + std::to_string(t.TrackNo()) + "|" +
         t.Year() + "|" + t.Genre() + "|" + t.Comment();
}
inline std::string Fields(const tags::TOggVorbis& t) {
  return t.Title() + "|" + t.Artist() + "|" + t.Album() + "|" + std::to_string(t.TrackNo()) + "|" +
         t.Date() + "|" + t.Genre() + "|" + t.Comment();
}
inline std::string Fields(const tags::TID3v1& t) {
  return t.Title() + "|" + t.Artist() + "|" + t.Album() + "|" + std::to_string(t.TrackNo()) + "|" +
         t.Year() + "|" + std::to_string(t.GenreCode()) + "|" + t.Comment();
}

}  // namespace vemla::test
