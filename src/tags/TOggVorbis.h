#pragma once
// Ogg Vorbis identification header, comments and play length, read from the file's first bytes
// and a few pages near its end. Never writes.
#include <cstdint>
#include <string>

#include "tags/ByteSource.h"

namespace vemla::tags {

class TOggVorbis {
 public:
  TOggVorbis() { Clear(); }

  void Clear();

  // True when the 30 header bytes at offset 28 could be read, whether or not they are a Vorbis
  // identification header; false on a file error or a file shorter than 58 bytes.
  bool Load(const std::string& fileName);
  bool LoadFrom(ByteSource& source);

  // Play time in seconds; 0 when not available.
  double Duration() const;
  // Average bit rate in kbit/s; 0 when not available.
  int BitRate() const;

  // "Unknown", "Mono" or "Stereo" for Channels 0, 1, 2.
  static const char* ChannelName(uint8_t channels);

  // The Vorbis identification header was found.
  bool Present() const { return present_; }
  uint32_t FileSize() const { return fileSize_; }
  // 1 mono, 2 stereo, 0 any other count.
  uint8_t Channels() const { return channels_; }
  // Hz; 0 when outside 8000..48000.
  uint16_t SampleRate() const { return sampleRate_; }
  // kbit/s; 0 when outside 16..350.
  uint16_t NominalKbps() const { return nominalKbps_; }
  // Low 32 bits of the granule position of a page near the end; 0 when none was found.
  uint32_t SampleCount() const { return sampleCount_; }
  // Comment texts, UTF-8.
  const std::string& Title() const { return title_; }
  const std::string& Artist() const { return artist_; }
  const std::string& Album() const { return album_; }
  uint8_t TrackNo() const { return trackNo_; }
  const std::string& Date() const { return date_; }
  const std::string& Genre() const { return genre_; }
  const std::string& Comment() const { return comment_; }
  const std::string& Vendor() const { return vendor_; }

 private:
  void ReadComments(ByteSource& source);
  void FindSampleCount(ByteSource& source);

  bool present_ = false;
  uint32_t fileSize_ = 0;
  uint8_t channels_ = 0;
  uint16_t sampleRate_ = 0;
  uint16_t nominalKbps_ = 0;
  uint32_t sampleCount_ = 0;
  std::string title_;
  std::string artist_;
  std::string album_;
  uint8_t trackNo_ = 0;
  std::string date_;
  std::string genre_;
  std::string comment_;
  std::string vendor_;
};

}  // namespace vemla::tags
