#include "audio/ProbeAfterTag.h"

#include <cstdio>
#include <vector>

#include "audio/LimitedFile.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
}

namespace vemla::audio {

namespace {
constexpr int kProbeBytes = 64 * 1024;
}  // namespace

const AVInputFormat* probeAfterTag(LimitedFile& file, int64_t tagBytes, const char* path,
                                   const char* allowed) {
  if (tagBytes < kLargeTagBytes || tagBytes >= file.size()) return nullptr;
  std::vector<uint8_t> buffer(kProbeBytes + AVPROBE_PADDING_SIZE, 0);
  int got = 0;
  if (file.seek(tagBytes, SEEK_SET) == tagBytes) {
    while (got < kProbeBytes) {
      int n = file.read(buffer.data() + got, kProbeBytes - got);
      if (n <= 0) break;
      got += n;
    }
  }
  file.seek(0, SEEK_SET);
  if (got <= 0) return nullptr;
  AVProbeData probe{};
  probe.filename = path;
  probe.buf = buffer.data();
  probe.buf_size = got;
  int score = 0;
  const AVInputFormat* format = av_probe_input_format2(&probe, 1, &score);
  if (!format || av_match_list(format->name, allowed, ',') <= 0) return nullptr;
  return format;
}

}  // namespace vemla::audio
