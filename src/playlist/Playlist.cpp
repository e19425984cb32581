#include "playlist/Playlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "playlist/EntryInfo.h"

namespace vemla::playlist {

EntryArray::EntryArray() { v_.reserve(kPlaylistCapacity); }

const Tcancion& EntryArray::operator[](int index) const {
  static const Tcancion kClear;
  if (index < 1 || index > static_cast<int>(v_.size())) return kClear;
  return v_[index - 1];
}

Tcancion& EntryArray::operator[](int index) {
  if (index < 1 || index > kPlaylistCapacity) {
    scratch_ = Tcancion{};
    return scratch_;
  }
  if (index > static_cast<int>(v_.size())) v_.resize(index);  // within the reserve: no move
  return v_[index - 1];
}

Tcancion& EntryArray::Clear(int index) {
  // An entry past the stored ones is made clear by the growth itself.
  if (index >= 1 && index <= static_cast<int>(v_.size())) v_[index - 1] = Tcancion{};
  return (*this)[index];
}

void EntryArray::Trim(int count) {
  if (count >= 0 && count < static_cast<int>(v_.size())) v_.resize(count);
}

namespace {

constexpr int Weight(uint32_t c) {
  switch (c) {
    case ' ':
    case '!':
    case '"':
    case '&':
    case '(':
    case ')':
    case '*':
    case ',':
    case '-':
    case '.':
    case '/':
    case 0xAA:
    case 0xB7:
    case 0xBA:
      return 2;
    case '#':
    case 0xC7:
      return 4;
    case '%':
      return 5;
    case '@':
      return 8;
    default:
      return (c >= 'A' && c <= 'Z') ? 4 : 3;
  }
}

// Weights of the ASCII characters, looked up instead of switched on: a 40,000-entry list
// measures every row text at start-up.
struct AsciiWeights {
  uint8_t w[128];
  constexpr AsciiWeights() : w() {
    for (uint32_t c = 0; c < 128; ++c) w[c] = static_cast<uint8_t>(Weight(c));
  }
};
constexpr AsciiWeights kAsciiWeights;

// Length in bytes of the UTF-8 character starting at s[i] and its code point; a stray byte
// counts as one character of its own value.
size_t NextChar(std::string_view s, size_t i, uint32_t& cp) {
  auto b = static_cast<unsigned char>(s[i]);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) {
    cp = b;
    return 1;
  }
  cp = n == 1 ? b : b & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      cp = b;
      return 1;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  return n;
}

void AppendNumber(std::string& out, uint32_t v) {
  char buf[10];
  char* p = buf + sizeof buf;
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  out.append(p, static_cast<size_t>(buf + sizeof buf - p));
}

// Writes `v` with at least two digits; returns the end.
char* PutTwoDigits(char* q, uint16_t v) {
  char buf[5];
  char* p = buf + sizeof buf;
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (buf + sizeof buf - p == 1) *q++ = '0';
  while (p != buf + sizeof buf) *q++ = *p++;
  return q;
}

// The text builders append to a caller's buffer, so that adding an entry can reuse one. A
// 40,000-entry list builds every row at start-up: the text is measured in one pass and the row
// appended in three pieces.
void AppendDisplayLine(std::string& out, std::string_view text, int32_t lengthSeconds) {
  int sum = 0;
  size_t i = 0;
  const size_t n = text.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  while (i < n) {
    // No ASCII character weighs more than 8, so this many cannot reach the cut: they are
    // summed without looking for it.
    for (size_t end = std::min(n, i + static_cast<size_t>(149 - sum) / 8);
         i < end && bytes[i] < 0x80; ++i) {
      sum += kAsciiWeights.w[bytes[i]];
    }
    if (i == n) break;
    const unsigned char b = bytes[i];
    if (b < 0x80) {
      sum += kAsciiWeights.w[b];
      ++i;
    } else {
      uint32_t cp;
      i += NextChar(text, i, cp);
      sum += Weight(cp);
    }
    if (sum >= 150) break;
  }
  const bool cut = sum >= 150;
  char tail[24];  // " - (" and two numbers of at most five digits each, ':' and ')'
  char* q = tail;
  const int32_t m = lengthSeconds / 60;
  const int32_t sec = lengthSeconds - 60 * m;
  std::memcpy(q, " - (", 4);
  q = PutTwoDigits(q + 4, static_cast<uint16_t>(m));
  *q++ = ':';
  q = PutTwoDigits(q, static_cast<uint16_t>(sec));
  *q++ = ')';
  out.append(text.data(), cut ? i : n);
  if (cut) out.append("...", 3);
  out.append(tail, static_cast<size_t>(q - tail));
}

void AppendNumberedName(std::string& out, int index, const Tcancion& e) {
  if (index < 0) {
    out += '-';
    AppendNumber(out, 0u - static_cast<uint32_t>(index));
  } else {
    AppendNumber(out, static_cast<uint32_t>(index));
  }
  out += ". ";
  out += e.Artist.view();
  if (!e.Title.empty()) {
    out += " - ";
    out += e.Title.view();
  }
}

void AppendFullTitle(std::string& out, const Tcancion& e) {
  if (!e.Artist.empty()) {
    out += e.Artist.view();
    out += " - ";
  }
  out += e.Title.view();
}

}  // namespace

std::string BuildDisplayLine(std::string_view text, int32_t lengthSeconds) {
  std::string out;
  out.reserve(text.size() + 16);
  AppendDisplayLine(out, text, lengthSeconds);
  return out;
}

std::string Playlist::BuildNumberedName(int index) const {
  std::string out;
  AppendNumberedName(out, index, Entries[index]);
  return out;
}

std::string Playlist::BuildFullTitle(int index) const {
  std::string out;
  AppendFullTitle(out, Entries[index]);
  return out;
}

std::string Playlist::BuildDisplayLine(std::string_view text, int index) const {
  return playlist::BuildDisplayLine(text, Entries[index].LengthSeconds);
}

bool Playlist::IsPlayable(int index) const {
  return index >= 1 && index <= EntryCount && Entries[index].Playable;
}

AddResult Playlist::Commit(int n) {
  Tcancion& e = Entries[n];
  e.ListPosition = static_cast<uint16_t>(n);
  e.Playable = true;
  std::string& t = scratch_;
  t.clear();
  AppendNumberedName(t, n, e);
  e.NumberedName = t;
  if (e.Artist.empty()) {
    e.FullTitle = e.Title;  // the same text: shared, not copied
  } else {
    t.clear();
    AppendFullTitle(t, e);
    e.FullTitle = t;
  }
  t.clear();
  AppendDisplayLine(t, e.NumberedName.view(), e.LengthSeconds);
  e.DisplayLine = t;
  EntryCount = n;
  return AddResult::Added;
}

AddResult Playlist::AddFileEntry(audio::AudioLib& audio, const std::string& path) {
  int n = EntryCount + 1;
  if (n > kPlaylistCapacity) return AddResult::Full;
  Tcancion& e = Entries.Clear(n);
  if (ReadEntryInfo(audio, path, e) != 0) {
    e = Tcancion{};
    return AddResult::Failed;
  }
  e.InfoPending = false;
  e.Path = path;
  Commit(n);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    e.SizeBytes = static_cast<uint32_t>(st.st_size);
  } else {
    e.Playable = false;
  }
  if (fd >= 0) ::close(fd);
  return AddResult::Added;
}

AddResult Playlist::AddCdTrackEntry(audio::AudioLib& audio, int drive, int track,
                                    const std::string& name) {
  int n = EntryCount + 1;
  if (n > kPlaylistCapacity) return AddResult::Full;
  Tcancion& e = Entries.Clear(n);
  if (ReadCdTrackInfo(audio, drive, track, e, name) != 0) {
    e = Tcancion{};
    return AddResult::Failed;
  }
  e.IsCdTrack = true;
  e.CdDrive = drive;
  e.CdTrack = track;
  e.InfoPending = false;
  e.Path = "CDA";
  return Commit(n);
}

AddResult Playlist::AddListedEntry(const std::string& path, const std::string& author,
                                   const std::string& title, int32_t seconds) {
  int n = EntryCount + 1;
  if (n > kPlaylistCapacity) return AddResult::Full;
  Tcancion& e = Entries.Clear(n);
  e.Author = author;
  e.Title = title;
  // A plain list of paths names no titles; without a name the row would read "3.  - (00:00)".
  if (title.empty()) e.Artist = FileBaseName(path);
  e.LengthSeconds = seconds;
  e.InfoPending = true;
  e.Path = path;
  return Commit(n);
}

AddResult Playlist::AddListedCdTrack(int drive, int track, const std::string& title,
                                     int32_t seconds) {
  int n = EntryCount + 1;
  if (n > kPlaylistCapacity) return AddResult::Full;
  Tcancion& e = Entries.Clear(n);
  e.IsCdTrack = true;
  e.CdDrive = drive;
  e.CdTrack = track;
  e.Title = title;
  e.LengthSeconds = seconds;
  e.InfoPending = false;
  e.Path = "CDA";
  return Commit(n);
}

void Playlist::RemoveEntry(int index) {
  if (index < 1 || index > EntryCount) return;
  for (int k = index + 1; k <= EntryCount; ++k) {
    Entries[k - 1] = std::move(Entries[k]);
    Entries[k - 1].ListPosition = static_cast<uint16_t>(k - 1);
  }
  Entries[EntryCount] = Tcancion{};
  --EntryCount;
  Entries.Trim(EntryCount);
}

void Playlist::ClearPlaylist() {
  for (int k = 1; k <= EntryCount; ++k) Entries[k] = Tcancion{};
  EntryCount = 0;
  Entries.Trim(0);
}

}  // namespace vemla::playlist
