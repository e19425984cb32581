#pragma once
// Reads one audio track of a CD drive or disc image: 44100 Hz stereo 16-bit, 588 frames a sector.
//
// Sectors come through libcdio's paranoia layer, which verifies overlapping reads, corrects
// jitter and retries scratched stretches. The drive is opened at the first read and held while
// this decoder lives, so reading a track's figures never touches the drive.
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

// Opens a CD device (`image` false) or a disc image by its kind (.cue, .toc, .nrg); null when it
// cannot be opened.
CdIo_t* openCdSource(const std::string& path, bool image);

class CdDecoder : public Decoder {
 public:
  // `path`/`image`: the source, opened at the first read; `first`/`last` are the track's first
  // and last sector numbers.
  CdDecoder(std::string path, bool image, int32_t first, int32_t last);
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
  bool openSource();
  bool openParanoia();
  bool readSector(int32_t sector);
  bool readDirect(int32_t sector);
  bool discGone();

  std::string path_;
  CdIo_t* cdio_ = nullptr;
  int32_t first_;
  int32_t last_;
  bool image_;
  cdrom_drive_t* drive_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  bool sourceFailed_ = false;    // the source could not be opened
  bool failed_ = false;          // paranoia could not be set up
  int64_t frame_ = 0;            // next frame within the track
  int32_t nextSector_ = -1;      // where paranoia reads next
  int32_t bufferedSector_ = -1;  // the sector held in sector_
  int failingSectors_ = 0;       // sectors in a row read with errors
  std::vector<int16_t> sector_;
};

}  // namespace vemla::audio
