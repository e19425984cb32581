#include "audio/CdDecoder.h"

#include <cdio/cdio.h>

#include <algorithm>
#include <cstring>

namespace vemla::audio {

namespace {
constexpr int kFramesPerSector = CDIO_CD_FRAMESIZE_RAW / 4;
constexpr int32_t kSectorsPerRead = 16;
}  // namespace

CdDecoder::CdDecoder(CdIo_t* cdio, int32_t first, int32_t last)
    : cdio_(cdio), first_(first), last_(last), sectors_(kSectorsPerRead * kFramesPerSector * 2) {}

CdDecoder::~CdDecoder() { cdio_destroy(cdio_); }

int64_t CdDecoder::lengthFrames() const {
  return static_cast<int64_t>(last_ - first_ + 1) * kFramesPerSector;
}

int CdDecoder::read(int16_t* out, int maxFrames) {
  int done = 0;
  while (done < maxFrames && frame_ < lengthFrames()) {
    int32_t sector = first_ + static_cast<int32_t>(frame_ / kFramesPerSector);
    if (bufferedSector_ < 0 || sector < bufferedSector_ ||
        sector >= bufferedSector_ + bufferedCount_) {
      int32_t count = std::min(kSectorsPerRead, last_ - sector + 1);
      if (cdio_read_audio_sectors(cdio_, sectors_.data(), sector, static_cast<uint32_t>(count)) !=
          DRIVER_OP_SUCCESS) {
        // An unreadable stretch ends the track rather than looping on it.
        frame_ = lengthFrames();
        break;
      }
      bufferedSector_ = sector;
      bufferedCount_ = count;
    }
    int64_t offset = frame_ - static_cast<int64_t>(bufferedSector_ - first_) * kFramesPerSector;
    int64_t avail = static_cast<int64_t>(bufferedCount_) * kFramesPerSector - offset;
    int n = static_cast<int>(std::min<int64_t>(avail, maxFrames - done));
    std::memcpy(out + static_cast<size_t>(done) * 2, &sectors_[static_cast<size_t>(offset) * 2],
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
