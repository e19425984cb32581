#pragma once
// Decodes any file FFmpeg recognises into the stream's own 16-bit frames, with sample-accurate
// seeking (seek before the target, then drop decoded frames up to it).
#include <memory>
#include <string>
#include <vector>

#include "audio/Decoder.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

namespace vemla::audio {

class FfmpegDecoder : public Decoder {
 public:
  // Null when the file cannot be opened or holds no decodable audio. Opening reads only the
  // container's head (bounded probe), never the whole file.
  static std::unique_ptr<FfmpegDecoder> open(const std::string& path);
  ~FfmpegDecoder() override;
  FfmpegDecoder(const FfmpegDecoder&) = delete;
  FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

  int rate() const override { return rate_; }
  int channels() const override { return channels_; }
  int64_t lengthFrames() const override { return length_; }
  uint32_t originalBits() const override { return bits_; }
  int read(int16_t* out, int maxFrames) override;
  bool seek(int64_t frame) override;

 private:
  FfmpegDecoder() = default;
  bool init(const std::string& path);
  int64_t containerLength() const;
  // Decodes the next frame into pending_; false at the end.
  bool decodeNext();
  bool convertFrame();
  bool seekTo(int64_t frame, int64_t margin);

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
