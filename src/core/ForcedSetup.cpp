#include "core/ForcedSetup.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/Ini.h"
#include "core/Player.h"
#include "playlist/TextCodec.h"

namespace vemla::core {

namespace {

std::string upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string withLineBreaks(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '|') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

// Mount table fields write blanks and the like as three octal digits ("\040").
std::string unescapeMountField(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      bool octal = true;
      int v = 0;
      for (size_t k = 1; k <= 3 && octal; ++k) {
        char c = s[i + k];
        octal = c >= '0' && c <= '7';
        v = v * 8 + (c - '0');
      }
      if (octal) {
        out += static_cast<char>(v);
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

std::string resolved(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf)) return buf;
  return path;
}

bool holds(const std::string& dir, const std::string& path) {
  if (dir == "/") return !path.empty() && path[0] == '/';
  if (path.compare(0, dir.size(), dir) != 0) return false;
  return path.size() == dir.size() || path[dir.size()] == '/';
}

}  // namespace

bool ParseWholeNumber(std::string_view t, int32_t& out) {
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  } else if (t.size() > 1 && t[0] == '$') {
    base = 16;
    t.remove_prefix(1);
  }
  if (t.empty()) return false;
  int64_t v = 0;
  for (char c : t) {
    int d = hexDigit(c);
    if (d < 0 || d >= base) return false;
    v = v * base + d;
    if (v > int64_t{INT32_MAX} + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

int32_t ParseProfileInt(std::string_view t) {
  while (!t.empty() && (t[0] == ' ' || t[0] == '\t')) t.remove_prefix(1);
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  }
  int64_t v = 0;
  for (char c : t) {
    int d = hexDigit(c);
    if (d < 0 || d >= base) break;
    v = v * base + d;
    if (v > INT32_MAX) {
      v = INT32_MAX;
      break;
    }
  }
  return static_cast<int32_t>(negative ? -v : v);
}

ForcedSetup ReadForcedSetup(std::string_view bytes) {
  ForcedSetup f;
  const Ini ini = Ini::parse(bytes);
  auto text = [&ini](std::string_view section, std::string_view key, std::string_view fallback) {
    return playlist::ToUtf8(ini.readString(section, key, fallback));
  };
  if (text("GENERAL", "ACTIVO", "0") != "1") return f;
  f.active = true;
  f.autoStart = text("GENERAL", "AUTOSTART", "0") == "1";
  if (!ParseWholeNumber(text("GENERAL", "STARTRACK", "0"), f.startRow)) f.startRow = 0;
  if (text("GENERAL", "PL_EXTEND", "0") != "1") return f;

  f.listAsked = true;
  f.listType = upper(text("PL_EXTEND", "PL_TIPO", "0")) == "CDA" ? 1 : 0;
  const std::string drive = upper(text("PL_EXTEND", "UNIDAD", "0"));
  if (drive == "A") {
    f.drive = kAutomaticDrive;
  } else if (!ParseWholeNumber(drive, f.drive)) {
    f.drive = 0;
  }
  f.trackCount = ParseProfileInt(text("PL_EXTEND", "PISTAS", "0"));

  const int songs = f.trackCount < kMaxDiscTracks ? f.trackCount : kMaxDiscTracks;
  for (int n = 1; n <= songs; ++n) {
    char section[16];
    std::snprintf(section, sizeof section, "SONG%03d", n);
    ForcedSong s;
    s.number = n;
    s.image = text(section, "IMG", "");
    const std::string track = text(section, "TRACK", "");
    int32_t number = 0;
    if (!track.empty() && !ParseWholeNumber(track, number)) s.valid = false;
    s.track = static_cast<uint8_t>(static_cast<uint32_t>(number) & 0xFF);
    s.year = text(section, "YEAR", "");
    s.title = text(section, "TITLE", "");
    s.artist = text(section, "ARTIST", "");
    s.author = text(section, "AUTOR", "");
    s.genre = text(section, "GENE", "");
    s.comment = withLineBreaks(text(section, "COMM1", "")) + "\r\n" +
                withLineBreaks(text(section, "COMM2", ""));
    f.songs.push_back(std::move(s));
  }
  return f;
}

int AutomaticCdDrive(std::string_view mountsTable, const std::string& programDir,
                     const std::vector<std::string>& drivePaths) {
  std::string target = resolved(programDir);
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  std::string bestDir, bestDevice;
  std::istringstream lines{std::string(mountsTable)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, dir;
    if (!(fields >> device >> dir)) continue;
    dir = unescapeMountField(dir);
    // The last of equally deep mounts is the one on top.
    if (holds(dir, target) && dir.size() >= bestDir.size()) {
      bestDir = dir;
      bestDevice = unescapeMountField(device);
    }
  }
  if (bestDevice.empty()) return 0;
  const std::string device = resolved(bestDevice);
  for (size_t i = 0; i < drivePaths.size(); ++i) {
    if (!drivePaths[i].empty() && resolved(drivePaths[i]) == device) return static_cast<int>(i);
  }
  return 0;
}

void ApplyForcedSetupBytes(Player& p, std::string_view bytes) {
  const ForcedSetup f = ReadForcedSetup(bytes);
  if (!f.active) return;
  if (f.autoStart) p.AutoPlay = 1;
  p.ForcedStartRow = f.startRow;
  if (!f.listAsked) return;
  p.ForcedListLoaded = 1;
  p.ForcedListType = f.listType;
  p.ForcedDrive = f.drive;
  p.ForcedTrackCount = f.trackCount;
  if (f.trackCount < 1) return;
  p.NoSave = 1;

  int drive = f.drive;
  if (drive == kAutomaticDrive) {
    std::vector<std::string> paths;
    for (int d = 0; d < 64; ++d) {
      std::string path = p.Audio().CD_GetDriveLetter(d);
      if (path.empty()) break;
      paths.push_back(std::move(path));
    }
    std::ifstream mounts("/proc/self/mounts");
    std::stringstream table;
    table << mounts.rdbuf();
    drive = AutomaticCdDrive(table.str(), p.ProgramDir, paths);
  }
  // Songs past the disc's last track can never be opened: not trying them keeps a drive
  // without a disc, or a file asking for millions of songs, from slowing the start-up.
  const int tracks = p.Audio().CD_GetTracks(drive);
  for (const ForcedSong& s : f.songs) {
    if (s.number > tracks) break;
    if (!s.valid) continue;
    const std::string name = "CDA - " + s.title + " - " + std::to_string(s.number);
    if (!p.AddCdTrackEntry(drive, s.number - 1, name)) continue;
    playlist::Tcancion& e = p.List.Entries[p.List.EntryCount];
    e.ImageFile = s.image;
    e.TrackNumber = s.track;
    e.Year = s.year;
    e.Title = s.title;
    e.Artist = s.artist;
    e.Author = s.author;
    e.Genre = s.genre;
    e.Comment = s.comment;
  }
}

void ApplyForcedSetup(Player& p) {
  std::ifstream in(p.ProgramDir + kForcedSetupFile, std::ios::binary);
  if (!in) return;
  std::stringstream bytes;
  bytes << in.rdbuf();
  ApplyForcedSetupBytes(p, bytes.str());
}

}  // namespace vemla::core
