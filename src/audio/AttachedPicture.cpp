#include "audio/AttachedPicture.h"

#include <chrono>
#include <cstring>

#include "audio/LimitedAvio.h"
#include "audio/LimitedFile.h"
#include "audio/ProbeAfterTag.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

namespace vemla::audio {

namespace {
// Containers that carry pictures of their own. No list or playlist demuxer: those open
// further files.
constexpr char kDemuxers[] = "wav,w64,ogg,mp3,asf,aac,mov,ape,mpc,mpc8,tta,wv,flac";
// What the container's head may take beyond a leading ID3v2 tag (FLAC picture blocks, an MP4
// index with its cover); a file that needs more shows no picture rather than stalling.
constexpr int64_t kHeadBytes = 8 << 20;
constexpr int64_t kMaxTagBytes = 64 << 20;
constexpr auto kDeadline = std::chrono::milliseconds(1500);
constexpr int kIoBufferSize = 64 * 1024;

int pastDeadline(void* file) { return static_cast<LimitedFile*>(file)->pastDeadline() ? 1 : 0; }

bool IsFrontCover(const AVStream* st) {
  const AVDictionaryEntry* e = av_dict_get(st->metadata, "comment", nullptr, 0);
  return e && std::strcmp(e->value, "Cover (front)") == 0;
}

struct Container {
  std::unique_ptr<LimitedFile> file;
  AVIOContext* io = nullptr;
  AVFormatContext* fmt = nullptr;
  ~Container() {
    avformat_close_input(&fmt);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

}  // namespace

std::string ReadAttachedPicture(const std::string& path, size_t maxBytes) {
  av_log_set_level(AV_LOG_QUIET);
  Container c;
  c.file = LimitedFile::open(path);
  if (!c.file) return {};
  const int64_t tag = std::min(leadingTagBytes(*c.file), kMaxTagBytes);
  c.file->allowUntil(kHeadBytes + tag, LimitedFile::Clock::now() + kDeadline);
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  if (!buffer) return {};
  c.io =
      avio_alloc_context(buffer, kIoBufferSize, 0, c.file.get(), &limitedRead, nullptr, &limitedSeek);
  if (!c.io) {
    av_free(buffer);
    return {};
  }
  c.fmt = avformat_alloc_context();
  if (!c.fmt) return {};
  c.fmt->pb = c.io;
  c.fmt->io_open = &refuseNestedOpen;
  c.fmt->interrupt_callback = AVIOInterruptCB{&pastDeadline, c.file.get()};
  AVDictionary* opts = nullptr;
  av_dict_set_int(&opts, "probesize", 1 << 20, 0);
  av_dict_set(&opts, "format_whitelist", kDemuxers, 0);
  const AVInputFormat* format = probeAfterTag(*c.file, tag, path.c_str(), kDemuxers);
  int rc = avformat_open_input(&c.fmt, path.c_str(), format, &opts);
  av_dict_free(&opts);
  if (rc < 0) return {};  // c.fmt is freed and null

  const AVPacket* chosen = nullptr;
  for (unsigned i = 0; i < c.fmt->nb_streams; ++i) {
    const AVStream* st = c.fmt->streams[i];
    if (!(st->disposition & AV_DISPOSITION_ATTACHED_PIC)) continue;
    if (st->attached_pic.size <= 0 || !st->attached_pic.data) continue;
    const bool front = IsFrontCover(st);
    if (!chosen || front) chosen = &st->attached_pic;
    if (front) break;
  }
  if (!chosen || static_cast<size_t>(chosen->size) > maxBytes) return {};
  return std::string(reinterpret_cast<const char*>(chosen->data),
                     static_cast<size_t>(chosen->size));
}

}  // namespace vemla::audio
