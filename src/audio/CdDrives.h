#pragma once
// The CD "drives": the machine's CD devices followed by the disc images named in
// VEMLA_CD_IMAGES (colon-separated .cue/.toc/.nrg paths). Drives and tracks count from 0.
#include <cstdint>
#include <memory>
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
  struct Drive {
    std::string path;
    bool image;
  };
  std::vector<Drive> drives_;
};

}  // namespace vemla::audio
