#pragma once
// Reads one audio track of a CD drive or disc image: 44100 Hz stereo 16-bit, 588 frames a sector.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Decoder.h"

typedef struct _CdIo CdIo_t;

namespace vemla::audio {

class CdDecoder : public Decoder {
 public:
  // Takes ownership of `cdio`; `first`/`last` are the track's first and last sector numbers.
  CdDecoder(CdIo_t* cdio, int32_t first, int32_t last);
  ~CdDecoder() override;
  CdDecoder(const CdDecoder&) = delete;
  CdDecoder& operator=(const CdDecoder&) = delete;

  int rate() const override { return 44100; }
  int channels() const override { return 2; }
  int64_t lengthFrames() const override;
  uint32_t originalBits() const override { return 16; }
  int read(int16_t* out, int maxFrames) override;
  bool seek(int64_t frame) override;

 private:
  CdIo_t* cdio_;
  int32_t first_;
  int32_t last_;
  int64_t frame_ = 0;  // next frame within the track
  std::vector<int16_t> sectors_;
  int32_t bufferedSector_ = -1;  // first sector held in sectors_
  int32_t bufferedCount_ = 0;
};

}  // namespace vemla::audio
