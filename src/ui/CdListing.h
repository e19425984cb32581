#pragma once
// What the CD dialog lists, asked of the audio layer: the drive rows and one drive's track rows.
// Plain functions over the layer, so the dialog can run them off the window thread (a drive
// may take seconds to answer) and tests can check the texts without a window.
#include <cstdint>
#include <string>
#include <vector>

namespace vemla::audio {
class AudioLib;
}

namespace vemla::ui {

inline constexpr int kMaxCdDrives = 10;

struct CdListing {
  std::vector<std::string> drives;  // "<device path>: <description>", drive 0 first
  int drive = 0;                    // the drive whose tracks are listed
  std::vector<std::string> tracks;  // empty without a readable disc
};

// Rows "%s: %s" for drives 0, 1, … while the drive has a description (at most 10).
std::vector<std::string> ListCdDrives(audio::AudioLib& audio);
// One row per track of `drive`: its name, then " (m:ss)" or " (data)".
std::vector<std::string> ListCdTracks(audio::AudioLib& audio, int drive);
// Track `track` (from 0): "Pista %.2d", or the text after "Título<n>=" in `ids` (up to the
// first empty text), then the length of `bytes` (-1: a data track).
std::string CdTrackRow(int track, int64_t bytes, const std::vector<std::string>& ids);

// The dialog's fill: with `withDrives` the drive rows too, and `drive` falls back to 0 when it
// is not listed; without, only `drive`'s tracks.
CdListing ReadCdListing(audio::AudioLib& audio, bool withDrives, int drive);

}  // namespace vemla::ui
