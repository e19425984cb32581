#pragma once
// The CD "drives": the machine's CD devices followed by the disc images named in
// VEMLA_CD_IMAGES (colon-separated .cue/.toc/.nrg paths). Drives and tracks count from 0.
//
// Every query reads the disc's table of contents and CD-TEXT in one open. A device is asked
// again each time (its disc may change); an image's reading is kept until its files change.
// A track's decoder opens its source only when it first reads. Safe to use from two threads.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/Decoder.h"

namespace vemla::audio {

class CdDrives {
 public:
  // Reads the device list and the environment once; `imagesEnv` may be null.
  CdDrives(const char* imagesEnv);

  int count() const { return static_cast<int>(drives_.size()); }
  // Device or image path; empty for an index out of range.
  std::string path(int drive) const;
  std::string description(int drive) const;
  int tracks(int drive) const;
  int64_t trackLength(int drive, int track) const;
  std::vector<std::string> cdText(int drive) const;
  // Null when the drive, disc or track is missing or the track is not audio.
  std::unique_ptr<Decoder> openTrack(int drive, int track) const;
  // The drive whose mount point holds `file` (a ".cda" stub), else 0.
  int driveForFile(const std::string& file) const;

  // Track number (from 1) named by a 44-byte ".cda" stub, or -1 when it is not one.
  static int cdaTrackNumber(const std::string& bytes);

 private:
  struct Track {
    bool audio = false;
    int32_t first = 0;  // sectors
    int32_t last = 0;
  };
  struct Disc {
    std::vector<Track> tracks;
    std::vector<std::string> text;  // "Título<n>=<title>"
  };
  // Null without a readable disc.
  std::shared_ptr<const Disc> disc(int drive) const;
  // Modification times and sizes of an image's files; empty when it does not exist.
  static std::string imageStamp(const std::string& path);

  struct Drive {
    std::string path;
    bool image;
  };
  std::vector<Drive> drives_;
  mutable std::mutex cacheMutex_;
  mutable std::map<int, std::pair<std::string, std::shared_ptr<const Disc>>> cache_;
};

}  // namespace vemla::audio
