#include "tags/TID3v2.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tags/FileSource.h"
#include "tags/MemorySource.h"
#include "tags/TagText.h"
#include "tags/WriteAccess.h"

namespace vemla::tags {

namespace {

// Read and written in this order.
constexpr const char* kFrameIds[7] = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"};
enum Item { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment };

// Frame data is read through a window of this size; longer frames yield their first bytes.
constexpr size_t kWindow = 250;
// The largest size four 7-bit groups can state.
constexpr uint64_t kMaxSynchSafe = (1u << 28) - 1;

// Whole tag size from a header, or 0 when it would run past the end of the file.
uint64_t TagSizeOf(const unsigned char* h, uint64_t fileSize) {
  uint64_t size =
      (uint64_t{h[6]} << 21) + (uint64_t{h[7]} << 14) + (uint64_t{h[8]} << 7) + uint64_t{h[9]} + 10;
  return size > fileSize ? 0 : size;
}

bool IsId3(const unsigned char* h) { return h[0] == 'I' && h[1] == 'D' && h[2] == '3'; }

uint32_t BigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void PutBigEndian32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>((v >> 16) & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
  out += static_cast<char>(v & 0xFF);
}

// A frame's data (as much as the window held) as UTF-8. Encodings 1 and 2 are UTF-16; anything
// else is read as ISO-8859-1, its encoding byte left for trimming. A comment's language code
// comes before its text.
std::string FrameText(std::string_view data, bool comment) {
  unsigned char encoding = data.empty() ? 0 : static_cast<unsigned char>(data[0]);
  if (encoding == 1 || encoding == 2) {
    size_t skip = comment ? 4 : 1;
    return data.size() <= skip ? std::string() : text::Utf16ToUtf8(data.substr(skip));
  }
  if (comment) data.remove_prefix(data.size() < 4 ? data.size() : 4);
  return text::Latin1ToUtf8(data);
}

bool WriteAll(int fd, const void* data, size_t n) {
  auto* p = static_cast<const unsigned char*>(data);
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// A run of bytes of a source, copied into the work file as it stands.
struct Piece {
  ByteSource* source;
  uint64_t from;
  uint64_t length;
};

bool CopyPiece(int out, const Piece& piece, std::vector<unsigned char>& buffer) {
  uint64_t pos = piece.from;
  const uint64_t end = piece.from + piece.length;
  while (pos < end) {
    size_t want = end - pos < buffer.size() ? static_cast<size_t>(end - pos) : buffer.size();
    size_t got = piece.source->ReadAt(pos, buffer.data(), want);
    if (got != want) return false;
    if (!WriteAll(out, buffer.data(), got)) return false;
    pos += got;
  }
  return true;
}

// Writes `tag`, then the pieces, into the open work file.
bool WriteWorkFile(int out, const std::string& tag, const std::vector<Piece>& pieces) {
  if (!WriteAll(out, tag.data(), tag.size())) return false;
  std::vector<unsigned char> buffer(256 * 1024);
  for (const Piece& piece : pieces) {
    if (!CopyPiece(out, piece, buffer)) return false;
  }
  return ::fsync(out) == 0;
}

bool IsFrameId(const unsigned char* id) {
  for (int i = 0; i < 4; ++i) {
    bool upper = id[i] >= 'A' && id[i] <= 'Z';
    bool digit = id[i] >= '0' && id[i] <= '9';
    if (!(upper || (i > 0 && digit))) return false;
  }
  return true;
}

// An unsynchronised tag body read back as it was before the writer inserted its zero bytes.
constexpr uint64_t kMaxUnsyncBody = 64u << 20;

std::string ResyncBody(ByteSource& source, uint64_t tagEnd) {
  std::string body(static_cast<size_t>(tagEnd), '\0');
  if (!source.ReadExact(0, body.data(), body.size())) return {};
  std::string out;
  out.reserve(body.size());
  out.append(body, 0, 10);
  for (size_t i = 10; i < body.size(); ++i) {
    out += body[i];
    if (static_cast<unsigned char>(body[i]) == 0xFF && i + 1 < body.size() && body[i + 1] == '\0') {
      ++i;
    }
  }
  return out;
}

// Frames of an old version 2.3 tag that the seven written items do not replace, in their order
// and byte for byte. A frame that runs past the end of its tag is damaged and ends the list, as
// padding does.
struct KeptFrames {
  std::string resynced;  // the old tag read back without unsynchronisation, when it had it
  // Offset and length of each frame, in `resynced` or else in the file.
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
  uint64_t size = 0;
};

// False when the old tag cannot be read back in whole.
bool FindKeptFrames(ByteSource& file, const unsigned char* header, uint64_t tagEnd,
                    KeptFrames& kept) {
  ByteSource* frames = &file;
  MemorySource resynced{std::string_view()};
  if (header[5] & 0x80) {
    if (tagEnd > kMaxUnsyncBody) return false;
    kept.resynced = ResyncBody(file, tagEnd);
    if (kept.resynced.empty()) return false;
    resynced = MemorySource(kept.resynced);
    frames = &resynced;
    tagEnd = kept.resynced.size();
  }
  uint64_t pos = 10;
  if (header[5] & 0x40) {  // an extended header: its own size, then that many bytes
    unsigned char ext[4];
    if (!frames->ReadExact(pos, ext, sizeof ext)) return true;
    pos += 4 + uint64_t{BigEndian32(ext)};
  }
  while (pos + 10 <= tagEnd) {
    unsigned char frame[10];
    if (!frames->ReadExact(pos, frame, sizeof frame) || !IsFrameId(frame)) break;
    const uint64_t length = 10 + uint64_t{BigEndian32(frame + 4)};
    if (pos + length > tagEnd) break;
    bool written = false;
    for (const char* id : kFrameIds) written = written || std::memcmp(frame, id, 4) == 0;
    if (!written) {
      kept.ranges.emplace_back(pos, length);
      kept.size += length;
    }
    pos += length;
  }
  return true;
}

void SyncFolder(const std::string& path) {
  std::string dir = std::filesystem::path(path).parent_path().string();
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

void TID3v2::Clear() {
  present_ = false;
  majorVersion_ = 0;
  tagSize_ = 0;
  title_.clear();
  artist_.clear();
  album_.clear();
  trackNo_ = 0;
  year_.clear();
  genre_.clear();
  comment_.clear();
}

bool TID3v2::Load(const std::string& fileName) {
  Clear();
  FileSource file;
  if (!file.Open(fileName)) return false;
  return LoadFrom(file);
}

bool TID3v2::LoadFrom(ByteSource& source) {
  Clear();
  unsigned char header[10];
  if (!source.ReadExact(0, header, sizeof header)) return false;
  if (!IsId3(header)) return true;
  present_ = true;
  majorVersion_ = header[3];
  uint64_t fileSize = source.Size();
  tagSize_ = static_cast<int32_t>(TagSizeOf(header, fileSize));
  if (majorVersion_ != 3 || tagSize_ == 0) return true;

  std::string items[7];
  uint64_t pos = 10;
  const auto tagEnd = static_cast<uint64_t>(tagSize_);
  while (pos < tagEnd && pos < fileSize) {
    unsigned char frame[10];
    if (!source.ReadExact(pos, frame, sizeof frame)) break;
    if (frame[0] < 'A' || frame[0] > 'Z') break;  // padding
    uint32_t size = BigEndian32(frame + 4);
    uint64_t data = pos + 10;
    char window[kWindow];
    size_t want = size < kWindow ? size : kWindow;
    if (!source.ReadExact(data, window, want)) break;
    for (int k = 0; k < 7; ++k) {
      if (std::memcmp(frame, kFrameIds[k], 4) == 0) items[k].assign(window, want);
    }
    pos = data + size;
  }

  title_ = text::Trim(FrameText(items[kTitle], false));
  artist_ = text::Trim(FrameText(items[kArtist], false));
  album_ = text::Trim(FrameText(items[kAlbum], false));
  year_ = text::Trim(FrameText(items[kYear], false));
  trackNo_ = text::TrackNumber(FrameText(items[kTrack], false));
  std::string genre = text::Trim(FrameText(items[kGenre], false));
  size_t paren = genre.rfind(')');
  if (paren != std::string::npos) genre.erase(0, paren + 1);
  genre_ = genre;
  comment_ = text::Trim(FrameText(items[kComment], true));
  return true;
}

bool TID3v2::BuildTag(std::string& out, uint64_t keptFrameBytes) const {
  std::string values[7] = {text::Utf8ToLatin1(title_),
                           text::Utf8ToLatin1(artist_),
                           text::Utf8ToLatin1(album_),
                           trackNo_ > 0 ? std::to_string(trackNo_) : std::string(),
                           text::Utf8ToLatin1(year_),
                           text::Utf8ToLatin1(genre_),
                           std::string()};
  if (!comment_.empty()) values[kComment] = std::string("eng", 4) + text::Utf8ToLatin1(comment_);

  uint64_t size = keptFrameBytes;
  for (const std::string& v : values) {
    if (!v.empty()) size += v.size() + 11;
  }
  if (size > kMaxSynchSafe) return false;

  out.clear();
  out.reserve(static_cast<size_t>(size - keptFrameBytes) + 10);
  out.append("ID3", 3);
  out += '\3';
  out += '\0';
  out += '\0';
  for (int shift : {21, 14, 7, 0}) out += static_cast<char>((size >> shift) & 0x7F);
  for (int k = 0; k < 7; ++k) {
    if (values[k].empty()) continue;
    out.append(kFrameIds[k], 4);
    PutBigEndian32(out, static_cast<uint32_t>(values[k].size() + 1));
    out.append(3, '\0');  // two flag bytes and the ISO-8859-1 encoding byte
    out += values[k];
  }
  return true;
}

bool TID3v2::Store(const std::string& fileName) {
  // A link is followed so the file it names is rewritten and the link stays a link.
  std::error_code ec;
  std::string path = std::filesystem::canonical(fileName, ec).string();
  if (ec) return false;
  if (!WriteAccess::Clear(path)) return false;
  FileSource source;
  if (!source.Open(path)) return false;
  unsigned char header[10];
  if (!source.ReadExact(0, header, sizeof header)) return false;
  uint64_t skip = IsId3(header) ? TagSizeOf(header, source.Size()) : 0;
  // A version 4 tag may end in a 10-byte footer; it belongs to the old tag, not to the audio.
  // The header flag alone is not trusted: the bytes are skipped only when they are a footer.
  if (skip > 0 && header[3] == 4 && (header[5] & 0x10)) {
    unsigned char footer[10];
    if (source.ReadExact(skip, footer, sizeof footer) && std::memcmp(footer, "3DI", 3) == 0)
      skip += 10;
  }
  // What this writer does not write of a version 3 tag (pictures, lyrics, gain...) follows the
  // seven items unchanged. Other versions' frames have other layouts and are not carried over.
  KeptFrames kept;
  if (skip > 0 && header[3] == 3 && !FindKeptFrames(source, header, skip, kept)) return false;
  std::string tag;
  if (!BuildTag(tag, kept.size)) return false;
  MemorySource resynced(kept.resynced);
  ByteSource* keptFrom = kept.resynced.empty() ? static_cast<ByteSource*>(&source) : &resynced;
  std::vector<Piece> pieces;
  for (const auto& [from, length] : kept.ranges) pieces.push_back({keptFrom, from, length});
  pieces.push_back({&source, skip, source.Size() - skip});
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;

  std::string work = path + "~";
  int out = ::open(work.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (out < 0) return false;
  bool ok = WriteWorkFile(out, tag, pieces);
  if (ok) {
    // Keep the owner and permissions of the file being replaced (the owner only when allowed).
    if (::fchown(out, st.st_uid, st.st_gid) != 0) {
      // Not permitted for other users' files; the work file stays ours.
    }
    ok = ::fchmod(out, st.st_mode & 07777) == 0;
  }
  if (::close(out) != 0) ok = false;
  // The old file is replaced by an atomic rename, never deleted first, so a failed rename
  // leaves it whole. Should it be gone all the same, the work file is the only copy left of
  // the audio and is kept.
  if (ok) ok = rename_(work.c_str(), path.c_str()) == 0;
  if (!ok) {
    struct stat now {};
    if (::lstat(path.c_str(), &now) == 0) ::unlink(work.c_str());
    return false;
  }
  SyncFolder(path);
  return true;
}

void TID3v2::SetTitle(const std::string& s) { title_ = text::TrimRight(s); }
void TID3v2::SetArtist(const std::string& s) { artist_ = text::TrimRight(s); }
void TID3v2::SetAlbum(const std::string& s) { album_ = text::TrimRight(s); }
void TID3v2::SetYear(const std::string& s) { year_ = text::TrimRight(s); }
void TID3v2::SetGenre(const std::string& s) { genre_ = text::TrimRight(s); }
void TID3v2::SetComment(const std::string& s) { comment_ = text::TrimRight(s); }

}  // namespace vemla::tags
