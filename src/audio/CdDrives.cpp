#include "audio/CdDrives.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <sys/stat.h>

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
  // libcdio warns on stdout about every oddity of an image (short pregaps, guessed files),
  // again at each open; errors are all the player needs.
  cdio_loglevel_default = CDIO_LOG_ERROR;
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
  CdioPtr p(openCdSource(d.path, false));
  cdio_hwinfo_t hw{};
  if (p && cdio_get_hwinfo(p.get(), &hw)) {
    std::string text = std::string(hw.psz_vendor) + " " + hw.psz_model + " " + hw.psz_revision;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!text.empty()) return text;
  }
  return d.path;
}

std::string CdDrives::imageStamp(const std::string& path) {
  std::string stamp;
  auto add = [&stamp](const std::string& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) return false;
    stamp += std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + ":" +
             std::to_string(st.st_size) + ";";
    return true;
  };
  if (!add(path)) return {};
  // libcdio reads a cue sheet's samples from the BIN of the same name.
  if (endsWith(path, ".cue")) add(path.substr(0, path.size() - 4) + ".bin");
  return stamp;
}

std::shared_ptr<const CdDrives::Disc> CdDrives::disc(int drive) const {
  if (drive < 0 || drive >= count()) return nullptr;
  const Drive& d = drives_[static_cast<size_t>(drive)];
  const std::string stamp = d.image ? imageStamp(d.path) : std::string();
  if (!stamp.empty()) {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    auto it = cache_.find(drive);
    if (it != cache_.end() && it->second.first == stamp) return it->second.second;
  }
  CdioPtr p(openCdSource(d.path, d.image));
  if (!p) return nullptr;
  track_t first = cdio_get_first_track_num(p.get());
  track_t n = cdio_get_num_tracks(p.get());
  if (first == CDIO_INVALID_TRACK || n == CDIO_INVALID_TRACK || n == 0) return nullptr;
  auto disc = std::make_shared<Disc>();
  for (int i = 0; i < n; ++i) {
    const track_t t = static_cast<track_t>(first + i);
    Track track;
    track.audio = cdio_get_track_format(p.get(), t) == TRACK_FORMAT_AUDIO;
    track.first = cdio_get_track_lsn(p.get(), t);
    track.last = cdio_get_track_last_lsn(p.get(), t);
    if (track.first == CDIO_INVALID_LSN || track.last == CDIO_INVALID_LSN ||
        track.last < track.first) {
      track.audio = false;
    }
    disc->tracks.push_back(track);
  }
  if (cdtext_t* text = cdio_get_cdtext(p.get())) {  // owned by p
    for (int i = 0; i < n; ++i) {
      const char* title =
          cdtext_get_const(text, CDTEXT_FIELD_TITLE, static_cast<track_t>(first + i));
      if (title && *title)
        disc->text.push_back("Título" + std::to_string(i + 1) + "=" + undoDoubleUtf8(title));
    }
  }
  if (!stamp.empty()) {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    cache_[drive] = {stamp, disc};
  }
  return disc;
}

int CdDrives::tracks(int drive) const {
  auto d = disc(drive);
  return d ? static_cast<int>(d->tracks.size()) : -1;
}

int64_t CdDrives::trackLength(int drive, int track) const {
  auto d = disc(drive);
  if (!d || track < 0 || track >= static_cast<int>(d->tracks.size())) return -1;
  const Track& t = d->tracks[static_cast<size_t>(track)];
  if (!t.audio) return -1;
  return static_cast<int64_t>(t.last - t.first + 1) * CDIO_CD_FRAMESIZE_RAW;
}

std::vector<std::string> CdDrives::cdText(int drive) const {
  auto d = disc(drive);
  return d ? d->text : std::vector<std::string>{};
}

std::unique_ptr<Decoder> CdDrives::openTrack(int drive, int track) const {
  auto d = disc(drive);
  if (!d || track < 0 || track >= static_cast<int>(d->tracks.size())) return nullptr;
  const Track& t = d->tracks[static_cast<size_t>(track)];
  if (!t.audio) return nullptr;
  const Drive& source = drives_[static_cast<size_t>(drive)];
  return std::make_unique<CdDecoder>(source.path, source.image, t.first, t.last);
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
