#include "audio/LimitedAvio.h"

#include <cstdio>

#include "audio/LimitedFile.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace vemla::audio {

int limitedRead(void* file, uint8_t* buffer, int size) {
  int got = static_cast<LimitedFile*>(file)->read(buffer, size);
  if (got < 0) return AVERROR_EXIT;
  return got == 0 ? AVERROR_EOF : got;
}

int64_t limitedSeek(void* file, int64_t offset, int whence) {
  auto* f = static_cast<LimitedFile*>(file);
  if (whence & AVSEEK_SIZE) return f->size();
  int64_t at = f->seek(offset, whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(EIO) : at;
}

int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

int64_t leadingTagBytes(LimitedFile& file) {
  uint8_t h[10];
  file.allow(sizeof h);
  int got = file.read(h, sizeof h);
  file.seek(0, SEEK_SET);
  if (got != static_cast<int>(sizeof h) || h[0] != 'I' || h[1] != 'D' || h[2] != '3') return 0;
  if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return 0;
  int64_t size = int64_t{h[6]} << 21 | int64_t{h[7]} << 14 | int64_t{h[8]} << 7 | h[9];
  return 10 + size + ((h[5] & 0x10) ? 10 : 0);
}

}  // namespace vemla::audio
