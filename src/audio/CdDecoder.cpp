#include "audio/CdDecoder.h"

#include <cdio/cdio.h>
#include <cdio/mmc.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace vemla::audio {

namespace {
constexpr int kFramesPerSector = CDIO_CD_FRAMESIZE_RAW / 4;
constexpr int kRetries = 10;                  // paranoia's attempts on one stretch
constexpr int kFailingSectorsLimit = 2 * 75;  // two seconds of sectors

// Paranoia's callback carries no user pointer; each stream reads on its own worker thread, so
// a per-thread count tells the reader what happened during its own call.
thread_local int readErrors = 0;

void onParanoiaEvent(long /*offset*/, paranoia_cb_mode_t mode) {
  if (mode == PARANOIA_CB_READERR) ++readErrors;
}
bool endsWith(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}
}  // namespace

CdIo_t* openCdSource(const std::string& path, bool image) {
  if (!image) return cdio_open(path.c_str(), DRIVER_DEVICE);
  if (endsWith(path, ".cue")) return cdio_open_cue(path.c_str());
  if (endsWith(path, ".toc")) return cdio_open_cdrdao(path.c_str());
  if (endsWith(path, ".nrg")) return cdio_open_nrg(path.c_str());
  return cdio_open(path.c_str(), DRIVER_UNKNOWN);
}

CdDecoder::CdDecoder(std::string path, bool image, int32_t first, int32_t last)
    : path_(std::move(path)),
      first_(first),
      last_(last),
      image_(image),
      sector_(static_cast<size_t>(kFramesPerSector) * 2) {}

CdDecoder::~CdDecoder() {
  if (paranoia_) cdio_paranoia_free(paranoia_);
  if (drive_) cdio_cddap_close_no_free_cdio(drive_);
  if (cdio_) cdio_destroy(cdio_);
}

bool CdDecoder::openSource() {
  if (cdio_) return true;
  if (sourceFailed_) return false;
  cdio_ = openCdSource(path_, image_);
  sourceFailed_ = cdio_ == nullptr;
  return cdio_ != nullptr;
}

int64_t CdDecoder::lengthFrames() const {
  return static_cast<int64_t>(last_ - first_ + 1) * kFramesPerSector;
}

bool CdDecoder::openParanoia() {
  if (paranoia_) return true;
  if (failed_) return false;
  char* messages = nullptr;
  drive_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, &messages);
  if (messages) cdio_cddap_free_messages(messages);
  if (drive_ && cdio_cddap_open(drive_) == 0) paranoia_ = cdio_paranoia_init(drive_);
  if (!paranoia_) {
    failed_ = true;
    return false;
  }
  cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
  return true;
}

bool CdDecoder::discGone() {
  return mmc_get_tray_status(cdio_) == 1 || cdio_get_media_changed(cdio_) == 1;
}

bool CdDecoder::readDirect(int32_t sector) {
  if (cdio_read_audio_sector(cdio_, sector_.data(), sector) != DRIVER_OP_SUCCESS) return false;
  bufferedSector_ = sector;
  return true;
}

bool CdDecoder::readSector(int32_t sector) {
  if (!openSource()) return false;
  // Paranoia refuses a disc it cannot probe whole (an image cut short): read what there is.
  if (!openParanoia()) return readDirect(sector);
  if (sector != nextSector_) cdio_paranoia_seek(paranoia_, sector, SEEK_SET);
  readErrors = 0;
  const int16_t* data = cdio_paranoia_read_limited(paranoia_, onParanoiaEvent, kRetries);
  nextSector_ = sector + 1;
  if (!data) return false;
  if (readErrors > 0 && image_) {
    // An image has no scratches to correct: a failure there is a read running past the end of
    // its file, which may have spoilt the sectors before the cut too. Take this one on its own.
    return readDirect(sector);
  }
  if (readErrors > 0) {
    if (discGone() || ++failingSectors_ > kFailingSectorsLimit) return false;
  } else {
    failingSectors_ = 0;
  }
  std::memcpy(sector_.data(), data, CDIO_CD_FRAMESIZE_RAW);
  bufferedSector_ = sector;
  return true;
}

int CdDecoder::read(int16_t* out, int maxFrames) {
  int done = 0;
  while (done < maxFrames && frame_ < lengthFrames()) {
    const int32_t sector = first_ + static_cast<int32_t>(frame_ / kFramesPerSector);
    if (sector != bufferedSector_ && !readSector(sector)) {
      frame_ = lengthFrames();  // the end of the track, as for a file that went missing
      break;
    }
    const int64_t offset = frame_ - static_cast<int64_t>(sector - first_) * kFramesPerSector;
    const int n = static_cast<int>(std::min<int64_t>(kFramesPerSector - offset, maxFrames - done));
    std::memcpy(out + static_cast<size_t>(done) * 2, &sector_[static_cast<size_t>(offset) * 2],
                static_cast<size_t>(n) * 4);
    done += n;
    frame_ += n;
  }
  return done;
}

bool CdDecoder::seek(int64_t frame) {
  frame_ = std::clamp<int64_t>(frame, 0, lengthFrames());
  return true;
}

}  // namespace vemla::audio
