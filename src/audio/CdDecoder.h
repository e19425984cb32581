#pragma once
// Reads one audio track of a CD drive or disc image: 44100 Hz stereo 16-bit, 588 frames a sector.
//
// Sectors come through libcdio's paranoia layer, which verifies overlapping reads, corrects
// jitter and retries scratched stretches. The drive is opened by the caller and held only while
// this decoder lives (while the track plays, or for a moment while its figures are read); the
// paranoia state is made at the first read, so reading figures costs no more than the open.
//
// A read error ends the track, like a file that went missing, when it cannot heal: a sector of
// an image that cannot be read on its own, a drive whose tray opened or whose disc changed
// (ejected while playing), or two seconds of failing sectors in a row. Otherwise paranoia's
// best data is played and reading goes on.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Decoder.h"

typedef struct _CdIo CdIo_t;
typedef struct cdrom_drive_s cdrom_drive_t;
typedef struct cdrom_paranoia_s cdrom_paranoia_t;

namespace vemla::audio {

class CdDecoder : public Decoder {
 public:
  // Takes ownership of `cdio`; `first`/`last` are the track's first and last sector numbers;
  // `image`: the disc is an image file.
  CdDecoder(CdIo_t* cdio, int32_t first, int32_t last, bool image);
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
  bool openParanoia();
  bool readSector(int32_t sector);
  bool readDirect(int32_t sector);
  bool discGone();

  CdIo_t* cdio_;
  int32_t first_;
  int32_t last_;
  bool image_;
  cdrom_drive_t* drive_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  bool failed_ = false;          // paranoia could not be set up
  int64_t frame_ = 0;            // next frame within the track
  int32_t nextSector_ = -1;      // where paranoia reads next
  int32_t bufferedSector_ = -1;  // the sector held in sector_
  int failingSectors_ = 0;       // sectors in a row read with errors
  std::vector<int16_t> sector_;
};

}  // namespace vemla::audio
