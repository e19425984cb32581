#pragma once
// A source of a stream's own samples: 16-bit interleaved frames at its own rate and channel
// count. Used by one thread at a time (the stream's worker, or the caller while the worker is
// parked).
#include <cstdint>

namespace vemla::audio {

class Decoder {
 public:
  virtual ~Decoder() = default;
  virtual int rate() const = 0;
  virtual int channels() const = 0;
  // Frames in the whole stream, 0 when unknown.
  virtual int64_t lengthFrames() const = 0;
  // Bits per sample of the source (0 when it has none, as for lossy codecs).
  virtual uint32_t originalBits() const = 0;
  // Fills up to maxFrames frames; returns the count, 0 at the end (or on an unreadable rest).
  virtual int read(int16_t* out, int maxFrames) = 0;
  // The next frame read is `frame` exactly. False when the source cannot get there.
  virtual bool seek(int64_t frame) = 0;
};

}  // namespace vemla::audio
