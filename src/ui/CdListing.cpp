#include "ui/CdListing.h"

#include <cstdio>

#include "audio/AudioLib.h"

namespace vemla::ui {

std::vector<std::string> ListCdDrives(audio::AudioLib& audio) {
  std::vector<std::string> rows;
  for (int d = 0; d < kMaxCdDrives; ++d) {
    std::string description = audio.CD_GetDriveDescription(d);
    if (description.empty()) break;
    rows.push_back(audio.CD_GetDriveLetter(d) + ": " + description);
  }
  return rows;
}

std::string CdTrackRow(int track, int64_t bytes, const std::vector<std::string>& ids) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "Pista %.2d", track + 1);
  std::string name = buf;
  const std::string key = "Título" + std::to_string(track + 1) + "=";
  for (const std::string& id : ids) {
    if (id.empty()) break;
    if (id.compare(0, key.size(), key) == 0) {
      name = id.substr(key.size());
      break;
    }
  }
  if (bytes == -1) return name + " (data)";
  const int64_t secs = bytes / 176400;
  std::snprintf(buf, sizeof buf, " (%lld:%.2d)", static_cast<long long>(secs / 60),
                static_cast<int>(secs % 60));
  return name + buf;
}

std::vector<std::string> ListCdTracks(audio::AudioLib& audio, int drive) {
  std::vector<std::string> rows;
  const int n = audio.CD_GetTracks(drive);
  if (n < 1) return rows;
  const std::vector<std::string> ids = audio.CD_GetID(drive, 4);
  rows.reserve(static_cast<size_t>(n));
  for (int t = 0; t < n; ++t) rows.push_back(CdTrackRow(t, audio.CD_GetTrackLength(drive, t), ids));
  return rows;
}

CdListing ReadCdListing(audio::AudioLib& audio, bool withDrives, int drive) {
  CdListing l;
  l.drive = drive;
  if (withDrives) {
    l.drives = ListCdDrives(audio);
    if (l.drives.empty()) return l;
    if (drive < 0 || drive >= static_cast<int>(l.drives.size())) l.drive = 0;
  }
  l.tracks = ListCdTracks(audio, l.drive);
  return l;
}

}  // namespace vemla::ui
