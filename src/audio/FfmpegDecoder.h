#pragma once
// Decodes the audio files of the player's format kinds into the stream's own 16-bit frames, with
// sample-accurate seeking (seek before the target, then drop decoded frames up to it).
//
// Only the audio demuxers of those kinds are used, and none may open another file: a list or
// playlist format (concat, HLS, ...) is refused as unplayable. Every demuxer call reads a bounded
// number of bytes, and opening also has a deadline, so no file content can make an open or a
// read take the whole file (runs of zeros, sparse files).
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Decoder.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;
struct AVIOContext;

namespace vemla::audio {

class LimitedFile;

struct DecoderLimits {
  // Bytes reading the container's header may take, besides up to 4 MB of a leading ID3v2 tag
  // (cover pictures may be large). An MP4 file's index is read here: 8 MB hold that of about 12
  // hours of AAC.
  int64_t headerBytes = 8 << 20;
  // Bytes probing the streams may take after the header. Parsers scan every byte of a run of
  // zeros looking for a frame, so this bounds what an odd file costs the caller.
  int64_t probeBytes = 2 << 20;
  // Bytes one read or seek may take before the rest of the file counts as unreadable.
  int64_t stepBytes = 8 << 20;
  // For the whole open, header and probe.
  std::chrono::milliseconds openDeadline{1000};
};

// What an open cost and whether a budget or the deadline cut it short; filled whether or not
// the open succeeds. A spent budget alone does not fail an open: what the probe found stands.
struct OpenReport {
  int64_t bytesRead = 0;
  bool overBudget = false;
  bool timedOut = false;
};

class FfmpegDecoder : public Decoder {
 public:
  // Null when the file cannot be opened or holds no decodable audio. Opening reads only the
  // container's head (bounded probe), never the whole file.
  static std::unique_ptr<FfmpegDecoder> open(const std::string& path,
                                             const DecoderLimits& limits = DecoderLimits(),
                                             OpenReport* report = nullptr);
  ~FfmpegDecoder() override;
  FfmpegDecoder(const FfmpegDecoder&) = delete;
  FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

  int rate() const override { return rate_; }
  int channels() const override { return channels_; }
  int64_t lengthFrames() const override { return length_; }
  uint32_t originalBits() const override { return bits_; }
  int read(int16_t* out, int maxFrames) override;
  // Bytes read from the file since it was opened.
  int64_t bytesRead() const;
  bool seek(int64_t frame) override;

 private:
  FfmpegDecoder() = default;
  bool init(const std::string& path, OpenReport* report);
  bool openContainer(const std::string& path, OpenReport& report);
  static int interrupted(void* self);
  int64_t containerLength() const;
  // Decodes the next frame into pending_; false at the end.
  bool decodeNext();
  bool convertFrame();
  bool seekTo(int64_t frame, int64_t margin);
  // av_seek_frame to `ts` (stream time base), reading on while reading makes progress.
  int seekReading(int64_t ts);

  DecoderLimits limits_;
  std::unique_ptr<LimitedFile> file_;
  AVIOContext* io_ = nullptr;
  AVFormatContext* fmt_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVPacket* pkt_ = nullptr;
  AVFrame* frame_ = nullptr;
  SwrContext* swr_ = nullptr;
  int swrFormat_ = -1;
  int swrRate_ = 0;
  int stream_ = -1;
  int rate_ = 0;
  int channels_ = 0;
  int64_t length_ = 0;
  uint32_t bits_ = 0;
  int64_t startPts_ = 0;

  std::vector<int16_t> pending_;  // decoded frames not handed out yet
  size_t pendingPos_ = 0;         // in frames
  size_t pendingFrames_ = 0;
  int64_t nextFrame_ = 0;  // stream frame number of pending_[pendingPos_]
  int64_t dropUntil_ = 0;  // frames before this one are thrown away (seeking)
  bool resync_ = false;    // take the position from the next frame's timestamp
  bool draining_ = false;
  bool ended_ = false;
};

}  // namespace vemla::audio
