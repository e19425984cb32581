#include "audio/CdDrives.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>

#include <fstream>
#include <sstream>

#include "audio/CdDecoder.h"

namespace vemla::audio {

namespace {
struct CdioCloser {
  void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioCloser>;

bool endsWith(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

CdIo_t* openPath(const std::string& path, bool image) {
  if (!image) return cdio_open(path.c_str(), DRIVER_DEVICE);
  if (endsWith(path, ".cue")) return cdio_open_cue(path.c_str());
  if (endsWith(path, ".toc")) return cdio_open_cdrdao(path.c_str());
  if (endsWith(path, ".nrg")) return cdio_open_nrg(path.c_str());
  return cdio_open(path.c_str(), DRIVER_UNKNOWN);
}

// Mount table fields escape blanks as octal ("\040").
std::string unescapeMount(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      int v = 0;
      bool ok = true;
      for (size_t k = 1; k <= 3; ++k) {
        char c = s[i + k];
        if (c < '0' || c > '7') ok = false;
        v = v * 8 + (c - '0');
      }
      if (ok) {
        out += static_cast<char>(v);
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// libcdio reads CD-TEXT as Latin-1 and hands out UTF-8. A cue sheet written in UTF-8 thus
// comes out encoded twice; undo that when the text reads back as valid multi-byte UTF-8.
std::string undoDoubleUtf8(const std::string& s) {
  std::string bytes;
  for (size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<uint8_t>(s[i]);
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if ((c == 0xc2 || c == 0xc3) && i + 1 < s.size()) {
      auto d = static_cast<uint8_t>(s[++i]);
      if ((d & 0xc0) != 0x80) return s;
      bytes += static_cast<char>(((c & 0x03) << 6) | (d & 0x3f));
    } else {
      return s;  // a character beyond Latin-1: not double-encoded
    }
  }
  bool multi = false;
  for (size_t i = 0; i < bytes.size();) {
    auto c = static_cast<uint8_t>(bytes[i]);
    size_t n = c < 0x80             ? 1
               : (c & 0xe0) == 0xc0 ? 2
               : (c & 0xf0) == 0xe0 ? 3
               : (c & 0xf8) == 0xf0 ? 4
                                    : 0;
    if (n == 0 || (n == 2 && c < 0xc2) || i + n > bytes.size()) return s;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<uint8_t>(bytes[i + k]) & 0xc0) != 0x80) return s;
    }
    multi |= n > 1;
    i += n;
  }
  return multi ? bytes : s;
}

std::string canonical(const std::string& p) {
  char buf[4096];
  if (realpath(p.c_str(), buf)) return buf;
  return p;
}
}  // namespace

CdDrives::CdDrives(const char* imagesEnv) {
  char** devices = cdio_get_devices(DRIVER_DEVICE);
  if (devices) {
    for (char** d = devices; *d; ++d) drives_.push_back({*d, false});
    cdio_free_device_list(devices);
  }
  if (imagesEnv) {
    std::stringstream ss(imagesEnv);
    std::string item;
    while (std::getline(ss, item, ':')) {
      if (!item.empty()) drives_.push_back({item, true});
    }
  }
}

std::string CdDrives::path(int drive) const {
  if (drive < 0 || drive >= count()) return {};
  return drives_[static_cast<size_t>(drive)].path;
}

std::string CdDrives::description(int drive) const {
  if (drive < 0 || drive >= count()) return {};
  const Drive& d = drives_[static_cast<size_t>(drive)];
  if (d.image) {
    size_t slash = d.path.find_last_of('/');
    return slash == std::string::npos ? d.path : d.path.substr(slash + 1);
  }
  CdioPtr p(openPath(d.path, false));
  cdio_hwinfo_t hw{};
  if (p && cdio_get_hwinfo(p.get(), &hw)) {
    std::string text = std::string(hw.psz_vendor) + " " + hw.psz_model + " " + hw.psz_revision;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!text.empty()) return text;
  }
  return d.path;
}

int CdDrives::tracks(int drive) const {
  if (drive < 0 || drive >= count()) return -1;
  const Drive& d = drives_[static_cast<size_t>(drive)];
  CdioPtr p(openPath(d.path, d.image));
  if (!p) return -1;
  track_t n = cdio_get_num_tracks(p.get());
  if (n == CDIO_INVALID_TRACK || n == 0) return -1;
  return n;
}

int64_t CdDrives::trackLength(int drive, int track) const {
  if (drive < 0 || drive >= count() || track < 0) return -1;
  const Drive& d = drives_[static_cast<size_t>(drive)];
  CdioPtr p(openPath(d.path, d.image));
  if (!p) return -1;
  track_t first = cdio_get_first_track_num(p.get());
  track_t n = cdio_get_num_tracks(p.get());
  if (first == CDIO_INVALID_TRACK || n == CDIO_INVALID_TRACK || track >= n) return -1;
  track_t t = static_cast<track_t>(first + track);
  if (cdio_get_track_format(p.get(), t) != TRACK_FORMAT_AUDIO) return -1;
  lsn_t a = cdio_get_track_lsn(p.get(), t);
  lsn_t b = cdio_get_track_last_lsn(p.get(), t);
  if (a == CDIO_INVALID_LSN || b == CDIO_INVALID_LSN || b < a) return -1;
  return static_cast<int64_t>(b - a + 1) * CDIO_CD_FRAMESIZE_RAW;
}

std::vector<std::string> CdDrives::cdText(int drive) const {
  std::vector<std::string> out;
  if (drive < 0 || drive >= count()) return out;
  const Drive& d = drives_[static_cast<size_t>(drive)];
  CdioPtr p(openPath(d.path, d.image));
  if (!p) return out;
  cdtext_t* text = cdio_get_cdtext(p.get());  // owned by p
  track_t first = cdio_get_first_track_num(p.get());
  track_t n = cdio_get_num_tracks(p.get());
  if (!text || first == CDIO_INVALID_TRACK || n == CDIO_INVALID_TRACK) return out;
  for (int i = 0; i < n; ++i) {
    const char* title = cdtext_get_const(text, CDTEXT_FIELD_TITLE, static_cast<track_t>(first + i));
    if (title && *title)
      out.push_back("Título" + std::to_string(i + 1) + "=" + undoDoubleUtf8(title));
  }
  return out;
}

std::unique_ptr<Decoder> CdDrives::openTrack(int drive, int track) const {
  if (drive < 0 || drive >= count() || track < 0) return nullptr;
  const Drive& d = drives_[static_cast<size_t>(drive)];
  CdioPtr p(openPath(d.path, d.image));
  if (!p) return nullptr;
  track_t first = cdio_get_first_track_num(p.get());
  track_t n = cdio_get_num_tracks(p.get());
  if (first == CDIO_INVALID_TRACK || n == CDIO_INVALID_TRACK || track >= n) return nullptr;
  track_t t = static_cast<track_t>(first + track);
  if (cdio_get_track_format(p.get(), t) != TRACK_FORMAT_AUDIO) return nullptr;
  lsn_t a = cdio_get_track_lsn(p.get(), t);
  lsn_t b = cdio_get_track_last_lsn(p.get(), t);
  if (a == CDIO_INVALID_LSN || b == CDIO_INVALID_LSN || b < a) return nullptr;
  return std::make_unique<CdDecoder>(p.release(), a, b, d.image);
}

int CdDrives::driveForFile(const std::string& file) const {
  std::string target = canonical(file);
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string dev, dir;
    if (!(fields >> dev >> dir)) continue;
    dev = canonical(unescapeMount(dev));
    dir = unescapeMount(dir);
    if (dir.empty() || target.compare(0, dir.size(), dir) != 0) continue;
    if (target.size() > dir.size() && target[dir.size()] != '/' && dir != "/") continue;
    for (int i = 0; i < count(); ++i) {
      const Drive& d = drives_[static_cast<size_t>(i)];
      if (!d.image && canonical(d.path) == dev) return i;
    }
  }
  return 0;
}

int CdDrives::cdaTrackNumber(const std::string& b) {
  if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "CDDA") != 0 ||
      b.compare(12, 4, "fmt ") != 0) {
    return -1;
  }
  int track = static_cast<uint8_t>(b[22]) | static_cast<uint8_t>(b[23]) << 8;
  return track >= 1 && track <= 99 ? track : -1;
}

}  // namespace vemla::audio
