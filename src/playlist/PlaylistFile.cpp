#include "playlist/PlaylistFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "playlist/EntryInfo.h"
#include "playlist/TextCodec.h"

namespace vemla::playlist {

int PlaylistKindOf(std::string_view path) {
  std::string ext = UpperExtension(path);
  if (ext == "M3U") return 2;
  if (ext == "PLS") return 1;
  return 0;
}

namespace {

// A decimal whole number with an optional sign that fits 32 bits.
bool ParseInt(std::string_view s, int32_t& out) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

std::string BadNumber(std::string_view text) {
  return "'" + ToUtf8(text) + "' is not a valid integer value";
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsFileUri(std::string_view line) {
  static constexpr std::string_view kScheme = "file://";
  if (line.size() < kScheme.size()) return false;
  for (size_t i = 0; i < kScheme.size(); ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kScheme[i]) return false;
  }
  return true;
}

// The local path a "file://" address names, percent-decoded (raw bytes, as the file system
// has them). False for another machine's file or a decoded NUL.
bool FileUriPath(std::string_view uri, std::string& out) {
  std::string_view rest = uri.substr(7);
  if (rest.substr(0, 10) == "localhost/") rest.remove_prefix(9);
  if (rest.empty() || rest[0] != '/') return false;
  out.clear();
  for (size_t i = 0; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
        HexValue(rest[i + 2]) >= 0) {
      c = static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
      i += 2;
    }
    if (c == '\0') return false;
    out += c;
  }
  return true;
}

bool IsAbsolute(std::string_view line) {
  if (!line.empty() && line[0] == '/') return true;
  // A Windows path with a drive is kept as it stands (it fails later, like a missing file).
  return line.size() >= 3 &&
         ((line[0] >= 'A' && line[0] <= 'Z') || (line[0] >= 'a' && line[0] <= 'z')) &&
         line[1] == ':' && (line[2] == '\\' || line[2] == '/');
}

}  // namespace

ListReadResult ParsePlaylist(std::string_view bytes, const std::string& listDir, ListSink& sink) {
  ListReadResult result;
  size_t pos = 0;
  auto nextLine = [&](std::string_view& line) {
    if (pos >= bytes.size()) return false;
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    return true;
  };

  std::string_view line;
  if (!nextLine(line) || line != "#EXTM3U") return result;
  result.isList = true;

  // Most lists are UTF-8 throughout: check once instead of line by line.
  const bool allUtf8 = IsValidUtf8(bytes);
  // The path and title buffers are reused from line to line: a long list would otherwise make
  // and free two strings per entry.
  auto text = [allUtf8](std::string& out, std::string_view s) {
    if (allUtf8) {
      out.assign(s);
    } else {
      out = ToUtf8(s);
    }
  };
  // Path bytes that are not UTF-8 are usually an old 8-bit file name: kept as they are when
  // they name a file, so it still plays and is written back unchanged; read as Windows-1252
  // otherwise, like any other text.
  std::string raw;
  auto pathText = [allUtf8, &raw](std::string& out, std::string_view prefix, std::string_view s) {
    out.assign(prefix);
    if (allUtf8 || IsValidUtf8(s)) {
      out += s;
      return;
    }
    raw.assign(prefix);
    raw += s;
    struct stat st;
    if (raw.find('\0') == std::string::npos && ::stat(raw.c_str(), &st) == 0) {
      out.swap(raw);
    } else {
      out += Windows1252ToUtf8(s);
    }
  };
  std::string title;
  std::string path;
  int32_t seconds = 0;
  while (nextLine(line)) {
    // An empty line and a lone "@" mark nothing and keep the pending values.
    if (line.empty() || line == "@") continue;
    if (line[0] == '#') {
      if (line.substr(0, 8) == "#EXTINF:") {
        std::string_view rest = line.substr(8);
        size_t comma = rest.find(',');
        std::string_view number = rest.substr(0, comma);
        if (!ParseInt(number, seconds)) {
          result.error = BadNumber(number);
          return result;
        }
        if (comma == std::string_view::npos) {
          title.clear();
        } else {
          text(title, rest.substr(comma + 1));
        }
      }
      continue;
    }
    bool more = true;
    if (line.find("://") != std::string_view::npos) {
      if (line.substr(0, 6) == "CDA://") {
        std::string_view rest = line.substr(6);
        size_t comma = rest.find(',');
        std::string_view d = rest.substr(0, comma);
        std::string_view t =
            comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        int32_t drive = 0;
        int32_t track = 0;
        if (!ParseInt(d, drive)) {
          result.error = BadNumber(d);
          return result;
        }
        if (!ParseInt(t, track)) {
          result.error = BadNumber(t);
          return result;
        }
        more = sink.ListedCdTrack(drive, track, title, seconds);
      } else if (IsFileUri(line) && FileUriPath(line, raw)) {
        std::string decoded = std::move(raw);
        pathText(path, std::string_view(), decoded);
        more = sink.ListedEntry(path, title, seconds);
      }
    } else if (IsAbsolute(line)) {
      pathText(path, std::string_view(), line);
      more = sink.ListedEntry(path, title, seconds);
    } else {
      pathText(path, listDir, line);
      more = sink.ListedEntry(path, title, seconds);
    }
    title.clear();
    seconds = 0;
    if (!more) break;
  }
  return result;
}

std::string ListFolder(const std::string& listPath) {
  size_t slash = listPath.rfind('/');
  return slash == std::string::npos ? std::string() : listPath.substr(0, slash + 1);
}

namespace {

// A line break inside a title would make the rest of it read back as a path.
// memchr, not find_first_of: the list is formatted at every start and exit, and the general
// search costs a call per character.
bool HasLineBreak(std::string_view s) {
  if (s.empty()) return false;
  return std::memchr(s.data(), '\n', s.size()) || std::memchr(s.data(), '\r', s.size());
}

// Where the entry lines go: appended to a string, or compared with a file's bytes.
struct StringOut {
  std::string& s;
  void put(std::string_view v) { s += v; }
  void put(char c) { s += c; }
  bool ok() const { return true; }
};

// Matches what is put against bytes already read, carriage returns left out of both (a list
// reads back the same whatever its line endings).
class CrFreeMatch {
 public:
  explicit CrFreeMatch(std::string_view bytes) : b_(bytes) {}
  void put(std::string_view v) {
    if (!ok_) return;
    if (b_.size() - i_ >= v.size() && std::memcmp(b_.data() + i_, v.data(), v.size()) == 0) {
      i_ += v.size();
      return;
    }
    for (char c : v) {
      if (c == '\r') continue;
      skipCarriageReturns();
      if (i_ == b_.size() || b_[i_] != c) {
        ok_ = false;
        return;
      }
      ++i_;
    }
  }
  void put(char c) { put(std::string_view(&c, 1)); }
  bool ok() const { return ok_; }
  bool atEnd() {
    skipCarriageReturns();
    return ok_ && i_ == b_.size();
  }

 private:
  void skipCarriageReturns() {
    while (i_ < b_.size() && b_[i_] == '\r') ++i_;
  }
  std::string_view b_;
  size_t i_ = 0;
  bool ok_ = true;
};

template <class Out>
void PutOneLine(Out& out, std::string_view s) {
  if (!HasLineBreak(s)) {
    out.put(s);
    return;
  }
  for (char c : s) out.put(c == '\r' || c == '\n' ? ' ' : c);
}

template <class Out>
void PutNumber(Out& out, int32_t v) {
  char buf[12];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.put(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

// A path that would not read back as itself: one holding a line feed (it would end the line)
// or "://" (it would read as an address). A carriage return alone reads back, since every line
// ends in CR LF and the reader takes off only the last one.
bool NeedsFileUri(std::string_view path) {
  if (path.empty()) return false;
  return std::memchr(path.data(), '\n', path.size()) || path.find("://") != std::string_view::npos;
}

template <class Out>
void PutFileUri(Out& out, std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.put("file://");
  for (char ch : path) {
    auto c = static_cast<unsigned char>(ch);
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 std::strchr("/-._~!$&'()*+,;=@", c) != nullptr;
    if (plain && c != 0) {
      out.put(ch);
    } else {
      out.put('%');
      out.put(kHex[c >> 4]);
      out.put(kHex[c & 15]);
    }
  }
}

template <class Out>
void PutEntryLines(Out& out, const Playlist& list, int index) {
  const Tcancion& e = list.Entries[index];
  std::string_view path = e.Path.view();
  const bool asUri = !e.IsCdTrack && NeedsFileUri(path);
  // Only an absolute path can be written as an address; any other such path is left out
  // rather than written as a list that reads back differently.
  if (asUri && path[0] != '/') return;
  out.put("#EXTINF:");
  PutNumber(out, e.LengthSeconds);
  out.put(',');
  PutOneLine(out, e.FullTitle.view());
  out.put("\r\n");
  if (e.IsCdTrack) {
    out.put("CDA://");
    PutNumber(out, e.CdDrive);
    out.put(',');
    PutNumber(out, e.CdTrack);
  } else if (asUri) {
    PutFileUri(out, path);
  } else {
    out.put(path);
  }
  out.put("\r\n");
}

}  // namespace

void AppendEntryLines(std::string& out, const Playlist& list, int index) {
  StringOut o{out};
  PutEntryLines(o, list, index);
}

bool ReadsBackAs(std::string_view bytes, const Playlist& list) {
  CrFreeMatch m(bytes);
  m.put("#EXTM3U\r\n");
  for (int i = 1; m.ok() && i <= list.EntryCount; ++i) PutEntryLines(m, list, i);
  return m.atEnd();
}

std::string FormatPlaylist(const Playlist& list) {
  std::string out;
  out.reserve(static_cast<size_t>(list.EntryCount) * 128 + 16);
  out += "#EXTM3U\r\n";
  for (int i = 1; i <= list.EntryCount; ++i) AppendEntryLines(out, list, i);
  return out;
}

std::string WriteFileReplacing(const std::string& path, std::string_view bytes) {
  // Write through a symbolic link to the file it names, not over the link.
  std::string target = path;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  mode_t mode = 0666;
  struct stat st;
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  std::string temp = target + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return std::strerror(errno);
  // Held while the file is written, so the start-up clean-up of killed saves leaves it alone.
  ::flock(fd, LOCK_EX);
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    return std::string(std::strerror(err));
  };
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<size_t>(w);
  }
  if (::fchmod(fd, mode) != 0) return fail(errno);
  if (::fdatasync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    return std::strerror(err);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    return std::strerror(err);
  }
  return {};
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  // One byte more than the file holds, so that reading it whole does not grow (and copy) the
  // buffer just to find the end.
  bytes.resize(static_cast<size_t>(st.st_size) + 1);
  size_t done = 0;
  bool ok = true;
  while (true) {
    if (done == bytes.size()) bytes.resize(bytes.size() + 65536);  // the file may have grown
    ssize_t r = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  ::close(fd);
  bytes.resize(done);
  return ok;
}

std::string SaveListName(const std::string& chosen) {
  size_t slash = chosen.rfind('/');
  size_t dot = chosen.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    return chosen.substr(0, dot) + ".m3u";
  }
  return chosen + ".m3u";
}

}  // namespace vemla::playlist
