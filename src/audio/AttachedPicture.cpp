#include "audio/AttachedPicture.h"

#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace vemla::audio {

namespace {
// Containers that carry pictures of their own; no list or playlist demuxer may open further
// files on the way.
constexpr const char* kDemuxers = "mp3,flac,ogg,mov,asf,ape,wv,tta,aac,mpc,mpc8,wav,w64,aiff";

bool IsFrontCover(const AVStream* st) {
  const AVDictionaryEntry* e = av_dict_get(st->metadata, "comment", nullptr, 0);
  return e && std::strcmp(e->value, "Cover (front)") == 0;
}
}  // namespace

std::string ReadAttachedPicture(const std::string& path, size_t maxBytes) {
  av_log_set_level(AV_LOG_QUIET);
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "protocol_whitelist", "file", 0);
  av_dict_set(&opts, "format_whitelist", kDemuxers, 0);
  av_dict_set_int(&opts, "probesize", 1 << 20, 0);
  AVFormatContext* fmt = nullptr;
  const std::string url = "file:" + path;
  int rc = avformat_open_input(&fmt, url.c_str(), nullptr, &opts);
  av_dict_free(&opts);
  if (rc < 0) return {};
  const AVPacket* chosen = nullptr;
  for (unsigned i = 0; i < fmt->nb_streams; ++i) {
    const AVStream* st = fmt->streams[i];
    if (!(st->disposition & AV_DISPOSITION_ATTACHED_PIC)) continue;
    if (st->attached_pic.size <= 0 || !st->attached_pic.data) continue;
    if (!chosen || IsFrontCover(st)) chosen = &st->attached_pic;
    if (IsFrontCover(st)) break;
  }
  std::string out;
  if (chosen && static_cast<size_t>(chosen->size) <= maxBytes) {
    out.assign(reinterpret_cast<const char*>(chosen->data), static_cast<size_t>(chosen->size));
  }
  avformat_close_input(&fmt);
  return out;
}

}  // namespace vemla::audio
