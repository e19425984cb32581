#include "tags/TOggVorbis.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "tags/FileSource.h"
#include "tags/TagText.h"

namespace vemla::tags {

namespace {

constexpr const char* kKeys[7] = {"TITLE", "ARTIST", "ALBUM",  "TRACKNUMBER",
                                  "DATE",  "GENRE",  "COMMENT"};
enum Item { kTitle, kArtist, kAlbum, kTrack, kDate, kGenre, kComment };

// Only the first bytes of a file are searched for the comment header, and each comment item
// is read through a window of this size.
constexpr size_t kWindow = 250;
// Far more comments than any encoder writes.
constexpr int64_t kMaxItems = 1 << 16;

uint32_t LittleEndian32(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool IsKey(std::string_view key, const char* name) {
  if (key.size() != std::strlen(name)) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    char c = key[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != name[i]) return false;
  }
  return true;
}

}  // namespace

void TOggVorbis::Clear() {
  present_ = false;
  fileSize_ = 0;
  channels_ = 0;
  sampleRate_ = 0;
  nominalKbps_ = 0;
  sampleCount_ = 0;
  title_.clear();
  artist_.clear();
  album_.clear();
  trackNo_ = 0;
  date_.clear();
  genre_.clear();
  comment_.clear();
  vendor_.clear();
}

bool TOggVorbis::Load(const std::string& fileName) {
  Clear();
  FileSource file;
  if (!file.Open(fileName)) return false;
  return LoadFrom(file);
}

bool TOggVorbis::LoadFrom(ByteSource& source) {
  Clear();
  // The identification header sits after a first page header of 27 bytes and one lacing byte.
  unsigned char id[30];
  uint64_t size = source.Size();
  if (size < 58 || !source.ReadExact(28, id, sizeof id)) return false;
  if (id[0] != 1 || std::memcmp(id + 1, "vorbis", 6) != 0) return true;

  present_ = true;
  fileSize_ = size > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                          : static_cast<uint32_t>(size);
  channels_ = (id[11] == 1 || id[11] == 2) ? id[11] : 0;
  uint32_t rate = LittleEndian32(id + 12);
  sampleRate_ = (rate >= 8000 && rate <= 48000) ? static_cast<uint16_t>(rate) : 0;
  uint32_t kbps = LittleEndian32(id + 20) / 1000;
  nominalKbps_ = (kbps >= 16 && kbps <= 350) ? static_cast<uint16_t>(kbps) : 0;

  ReadComments(source);
  FindSampleCount(source);
  return true;
}

void TOggVorbis::ReadComments(ByteSource& source) {
  unsigned char head[kWindow];
  if (!source.ReadExact(0, head, sizeof head)) return;
  uint64_t pos = 0;
  for (size_t off = 0; off + 7 <= kWindow; ++off) {
    if (head[off] == 3 && std::memcmp(head + off + 1, "vorbis", 6) == 0) {
      pos = off + 7;
      break;
    }
  }

  std::string items[7];
  std::string vendor;
  int64_t count = 0;
  // Item 0 is the vendor text; the count of comments follows it. Every item moves the position
  // by at least its 4 length bytes, so a huge count ends at the end of the file; the cap keeps
  // that end near when the file is a long run of zeros (empty items), even a sparse 8 GB one.
  for (int64_t item = 0; item == 0 || (item <= count && item <= kMaxItems); ++item) {
    unsigned char lengthBytes[4];
    if (!source.ReadExact(pos, lengthBytes, 4)) break;
    pos += 4;
    uint32_t length = LittleEndian32(lengthBytes);
    size_t take = length < kWindow ? length : kWindow;
    char window[kWindow];
    if (!source.ReadExact(pos, window, take)) break;
    // Longer items are cut to the window, but reading goes on after their declared length.
    pos += length;
    std::string_view text(window, take);
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
      if (vendor.empty()) vendor.assign(text);
    } else {
      std::string_view key = text.substr(0, eq);
      for (int k = 0; k < 7; ++k) {
        if (IsKey(key, kKeys[k])) items[k].assign(text.substr(eq + 1));
      }
    }
    if (item == 0) {
      unsigned char countBytes[4];
      if (!source.ReadExact(pos, countBytes, 4)) break;
      pos += 4;
      count = static_cast<int32_t>(LittleEndian32(countBytes));
    }
  }

  title_ = text::DecodeUtf8(items[kTitle]);
  artist_ = text::DecodeUtf8(items[kArtist]);
  album_ = text::DecodeUtf8(items[kAlbum]);
  date_ = text::DecodeUtf8(items[kDate]);
  genre_ = text::DecodeUtf8(items[kGenre]);
  comment_ = text::DecodeUtf8(items[kComment]);
  vendor_ = text::DecodeUtf8(vendor);
  trackNo_ = text::TrackNumber(items[kTrack]);
}

void TOggVorbis::FindSampleCount(ByteSource& source) {
  // Windows of 250 bytes step back 240 at a time over the file's last 12010 bytes.
  const uint64_t size = source.Size();
  for (uint64_t i = 1; i <= 50; ++i) {
    if (size < 240 * i + 10) return;
    uint64_t start = size - 240 * i - 10;
    unsigned char window[kWindow];
    if (!source.ReadExact(start, window, sizeof window)) return;
    for (size_t k = 0; k <= 240; ++k) {
      if (std::memcmp(window + k, "OggS", 4) == 0) {
        sampleCount_ = LittleEndian32(window + k + 6);
        return;
      }
    }
  }
}

double TOggVorbis::Duration() const {
  if (sampleCount_ > 0) return sampleRate_ > 0 ? double(sampleCount_) / sampleRate_ : 0.0;
  if (nominalKbps_ > 0 && channels_ > 0)
    return double(fileSize_) / nominalKbps_ / channels_ / 125.0 * 2.0;
  return 0.0;
}

int TOggVorbis::BitRate() const {
  double d = Duration();
  if (d <= 0) return 0;
  // The default rounding mode rounds halves to even. A page near the end that claims very few
  // samples must not overflow the result.
  double rate = std::nearbyint(double(fileSize_) / d / 125.0);
  return rate < double(std::numeric_limits<int>::max()) ? static_cast<int>(rate)
                                                        : std::numeric_limits<int>::max();
}

const char* TOggVorbis::ChannelName(uint8_t channels) {
  static constexpr const char* kNames[3] = {"Unknown", "Mono", "Stereo"};
  return channels < 3 ? kNames[channels] : kNames[0];
}

}  // namespace vemla::tags
