// The program's entry points into libavformat, libavcodec, libswresample and libavutil, which it
// does not link: together they pull in well over a hundred libraries whose loading and relocation
// cost more than the rest of start-up. Each call below opens the libraries on first use (once, for
// every thread) and forwards to the real function; LoadCodecLibraries does the opening ahead of
// time, off the window thread. The tests link the libraries directly and never see this file.
//
// Should a library be missing, the calls fail the way FFmpeg fails (an error code, a null
// pointer), so a file does not play instead of the player ending with an unsaved list.
#include "app/LazyCodecs.h"

#include <atomic>
#include <cerrno>

#include "app/LazyLibrary.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/version.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavformat/version.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/ffversion.h>
#include <libavutil/frame.h>
#include <libavutil/macros.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/tx.h>
#include <libswresample/swresample.h>
#include <libswresample/version.h>
}

namespace {

using vemla::app::OpenLibraryNow;

enum Lib { kFormat, kCodec, kResample, kLibCount, kUtil = kLibCount };

struct Libraries {
  void* handle[kLibCount] = {};
};

std::atomic<bool> opened{false};

const Libraries& loaded() {
  // The sonames are those of the headers the program was built with.
  static const Libraries libs = [] {
    Libraries l;
    // libavformat needs libavcodec: opening it first loads both in one pass.
    l.handle[kFormat] = OpenLibraryNow("libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR));
    l.handle[kCodec] = OpenLibraryNow("libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR));
    l.handle[kResample] =
        OpenLibraryNow("libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR));
    opened.store(true, std::memory_order_release);
    return l;
  }();
  return libs;
}

// libavutil alone, for the visualiser's FFT and the helpers: the others load it as well.
void* utilLibrary() {
  static void* const handle = OpenLibraryNow("libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR));
  return handle;
}

void* resolve(Lib lib, const char* name) {
  return vemla::app::SymbolIn(lib == kUtil ? utilLibrary() : loaded().handle[lib], name);
}

}  // namespace

constexpr int kMissing = AVERROR(ENOSYS);

VEMLA_FORWARD(kFormat, AVFormatContext*, avformat_alloc_context, (void), (), nullptr)
VEMLA_FORWARD(kFormat, int, avformat_open_input,
              (AVFormatContext * *ps, const char* url, const AVInputFormat* fmt,
               AVDictionary** options),
              (ps, url, fmt, options), kMissing)
VEMLA_FORWARD_VOID(kFormat, avformat_close_input, (AVFormatContext * *s), (s))
VEMLA_FORWARD(kFormat, int, avformat_find_stream_info, (AVFormatContext * ic, AVDictionary** o),
              (ic, o), kMissing)
VEMLA_FORWARD(kFormat, int, av_find_best_stream,
              (AVFormatContext * ic, enum AVMediaType type, int wanted, int related,
               const AVCodec** decoder, int flags),
              (ic, type, wanted, related, decoder, flags), kMissing)
VEMLA_FORWARD(kFormat, int, av_read_frame, (AVFormatContext * s, AVPacket* pkt), (s, pkt), kMissing)
VEMLA_FORWARD(kFormat, int, av_seek_frame,
              (AVFormatContext * s, int stream, int64_t timestamp, int flags),
              (s, stream, timestamp, flags), kMissing)
VEMLA_FORWARD(kFormat, int, avformat_seek_file,
              (AVFormatContext * s, int stream, int64_t min_ts, int64_t ts, int64_t max_ts,
               int flags),
              (s, stream, min_ts, ts, max_ts, flags), kMissing)
VEMLA_FORWARD(kFormat, AVIOContext*, avio_alloc_context,
              (unsigned char* buffer, int size, int write_flag, void* opaque,
               int (*read_packet)(void*, uint8_t*, int), int (*write_packet)(void*, uint8_t*, int),
               int64_t (*seek)(void*, int64_t, int)),
              (buffer, size, write_flag, opaque, read_packet, write_packet, seek), nullptr)
VEMLA_FORWARD_VOID(kFormat, avio_context_free, (AVIOContext * *s), (s))
VEMLA_FORWARD(kFormat, const AVInputFormat*, av_probe_input_format2,
              (const AVProbeData* pd, int is_opened, int* score_max), (pd, is_opened, score_max),
              nullptr)
VEMLA_FORWARD(kFormat, int, avformat_index_get_entries_count, (const AVStream* st), (st), 0)
VEMLA_FORWARD(kFormat, const AVIndexEntry*, avformat_index_get_entry, (AVStream * st, int idx),
              (st, idx), nullptr)

VEMLA_FORWARD(kCodec, AVCodecContext*, avcodec_alloc_context3, (const AVCodec* codec), (codec),
              nullptr)
VEMLA_FORWARD_VOID(kCodec, avcodec_free_context, (AVCodecContext * *avctx), (avctx))
VEMLA_FORWARD(kCodec, int, avcodec_parameters_to_context,
              (AVCodecContext * codec, const AVCodecParameters* par), (codec, par), kMissing)
VEMLA_FORWARD(kCodec, int, avcodec_open2,
              (AVCodecContext * avctx, const AVCodec* codec, AVDictionary** options),
              (avctx, codec, options), kMissing)
VEMLA_FORWARD(kCodec, int, avcodec_send_packet, (AVCodecContext * avctx, const AVPacket* pkt),
              (avctx, pkt), kMissing)
VEMLA_FORWARD(kCodec, int, avcodec_receive_frame, (AVCodecContext * avctx, AVFrame* frame),
              (avctx, frame), kMissing)
VEMLA_FORWARD_VOID(kCodec, avcodec_flush_buffers, (AVCodecContext * avctx), (avctx))
VEMLA_FORWARD(kCodec, AVPacket*, av_packet_alloc, (void), (), nullptr)
VEMLA_FORWARD_VOID(kCodec, av_packet_free, (AVPacket * *pkt), (pkt))
VEMLA_FORWARD_VOID(kCodec, av_packet_unref, (AVPacket * pkt), (pkt))
VEMLA_FORWARD(kCodec, int, av_get_bits_per_sample, (enum AVCodecID codec_id), (codec_id), 0)

VEMLA_FORWARD(kUtil, int, av_channel_layout_copy,
              (AVChannelLayout * dst, const AVChannelLayout* src), (dst, src), kMissing)
VEMLA_FORWARD_VOID(kUtil, av_channel_layout_default, (AVChannelLayout * layout, int channels),
                   (layout, channels))
VEMLA_FORWARD_VOID(kUtil, av_channel_layout_uninit, (AVChannelLayout * layout), (layout))
VEMLA_FORWARD_VOID(kUtil, av_dict_free, (AVDictionary * *m), (m))
VEMLA_FORWARD(kUtil, AVDictionaryEntry*, av_dict_get,
              (const AVDictionary* m, const char* key, const AVDictionaryEntry* prev, int flags),
              (m, key, prev, flags), nullptr)
VEMLA_FORWARD(kUtil, int, av_dict_set,
              (AVDictionary * *pm, const char* key, const char* value, int flags),
              (pm, key, value, flags), kMissing)
VEMLA_FORWARD(kUtil, int, av_dict_set_int,
              (AVDictionary * *pm, const char* key, int64_t value, int flags),
              (pm, key, value, flags), kMissing)
VEMLA_FORWARD(kUtil, AVFrame*, av_frame_alloc, (void), (), nullptr)
VEMLA_FORWARD_VOID(kUtil, av_frame_free, (AVFrame * *frame), (frame))
VEMLA_FORWARD_VOID(kUtil, av_frame_unref, (AVFrame * frame), (frame))
VEMLA_FORWARD(kUtil, void*, av_malloc, (size_t size), (size), nullptr)
VEMLA_FORWARD_VOID(kUtil, av_free, (void* ptr), (ptr))
VEMLA_FORWARD_VOID(kUtil, av_freep, (void* ptr), (ptr))
VEMLA_FORWARD_VOID(kUtil, av_log_set_level, (int level), (level))
VEMLA_FORWARD(kUtil, int, av_match_list, (const char* name, const char* list, char separator),
              (name, list, separator), 0)
VEMLA_FORWARD(kUtil, int64_t, av_rescale_q, (int64_t a, AVRational bq, AVRational cq), (a, bq, cq),
              0)
VEMLA_FORWARD(kUtil, int, av_tx_init,
              (AVTXContext * *ctx, av_tx_fn* tx, enum AVTXType type, int inv, int len,
               const void* scale, uint64_t flags),
              (ctx, tx, type, inv, len, scale, flags), kMissing)
VEMLA_FORWARD_VOID(kUtil, av_tx_uninit, (AVTXContext * *ctx), (ctx))

VEMLA_FORWARD(kResample, int, swr_alloc_set_opts2,
              (struct SwrContext * *ps, AVChannelLayout* out_layout, enum AVSampleFormat out_fmt,
               int out_rate, AVChannelLayout* in_layout, enum AVSampleFormat in_fmt, int in_rate,
               int log_offset, void* log_ctx),
              (ps, out_layout, out_fmt, out_rate, in_layout, in_fmt, in_rate, log_offset, log_ctx),
              kMissing)
VEMLA_FORWARD(kResample, int, swr_init, (struct SwrContext * s), (s), kMissing)
VEMLA_FORWARD(kResample, int, swr_convert,
              (struct SwrContext * s, uint8_t** out, int out_count, const uint8_t** in,
               int in_count),
              (s, out, out_count, in, in_count), kMissing)
VEMLA_FORWARD_VOID(kResample, swr_free, (struct SwrContext * *s), (s))

// The About window, made before the libraries are opened, asks for their versions: until then
// they are those the program was built with (same major version, by the sonames above); the
// window asks again when it is shown.
#define VEMLA_VERSION(lib, name, built)                                              \
  extern "C" unsigned name(void) {                                                   \
    if (!opened.load(std::memory_order_acquire)) return built;                       \
    static const auto fn = reinterpret_cast<decltype(&::name)>(resolve(lib, #name)); \
    return fn ? fn() : built;                                                        \
  }

VEMLA_VERSION(kFormat, avformat_version, LIBAVFORMAT_VERSION_INT)
VEMLA_VERSION(kCodec, avcodec_version, LIBAVCODEC_VERSION_INT)
VEMLA_VERSION(kResample, swresample_version, LIBSWRESAMPLE_VERSION_INT)
VEMLA_VERSION(kUtil, avutil_version, LIBAVUTIL_VERSION_INT)

extern "C" const char* av_version_info(void) {
  if (!opened.load(std::memory_order_acquire)) return FFMPEG_VERSION;
  static const auto fn =
      reinterpret_cast<decltype(&::av_version_info)>(resolve(kUtil, "av_version_info"));
  return fn ? fn() : FFMPEG_VERSION;
}

namespace vemla::app {

bool LoadCodecLibraries() {
  const Libraries& l = loaded();
  return l.handle[kFormat] && l.handle[kCodec] && l.handle[kResample];
}

}  // namespace vemla::app
