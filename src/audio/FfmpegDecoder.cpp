#include "audio/FfmpegDecoder.h"

#include <algorithm>
#include <cstring>

#include "audio/LameHeader.h"
#include "audio/LimitedAvio.h"
#include "audio/LimitedFile.h"
#include "audio/MusepackHeader.h"
#include "audio/ProbeAfterTag.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace vemla::audio {

namespace {
// Enough for every container's head; keeps opening fast and bounded on odd files.
constexpr int64_t kProbeSize = 1 << 20;
constexpr int64_t kAnalyzeMicroseconds = 1000000;
constexpr int kMaxChannels = 8;
constexpr int kMaxBadPackets = 1000;
// Streams probed packet by packet before the format's codecs are known.
constexpr int kMaxProbePackets = 256;
constexpr int kIoBufferSize = 64 * 1024;
// A leading ID3v2 tag is read whole by the demuxer, its padding ten bytes at a time (a tag that
// claims 256 MB of zeros costs as much as 256 MB read): this much of it comes on top of the
// header budget, so a tag with 12 MB of pictures still opens.
constexpr int64_t kMaxFreeTagBytes = 4 << 20;

// Audio demuxers of the format kinds (WAV, OGG/SPX, MPG/MP2/MP3, WMA, AAC/MP4/ALAC, AC3, APE,
// MPC, TTA, WV, FLAC). No list, playlist or image demuxer: those open further files.
constexpr char kAllowedDemuxers[] =
    "wav,w64,ogg,mp3,mpeg,mpegts,asf,aac,mov,caf,ac3,eac3,ape,mpc,mpc8,tta,wv,flac";

}  // namespace

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::open(const std::string& path,
                                                   const DecoderLimits& limits,
                                                   OpenReport* report) {
  std::unique_ptr<FfmpegDecoder> d(new FfmpegDecoder());
  d->limits_ = limits;
  if (!d->init(path, report)) return nullptr;
  return d;
}

FfmpegDecoder::~FfmpegDecoder() {
  swr_free(&swr_);
  av_frame_free(&frame_);
  av_packet_free(&pkt_);
  avcodec_free_context(&codec_);
  avformat_close_input(&fmt_);
  if (io_) av_freep(&io_->buffer);
  avio_context_free(&io_);
}

int64_t FfmpegDecoder::bytesRead() const { return file_ ? file_->bytesRead() : 0; }

int FfmpegDecoder::interrupted(void* self) {
  auto* d = static_cast<FfmpegDecoder*>(self);
  return d->file_ && d->file_->pastDeadline() ? 1 : 0;
}

bool FfmpegDecoder::openContainer(const std::string& path, OpenReport& report) {
  file_ = LimitedFile::open(path);
  if (!file_) return false;
  int64_t tag = std::min(leadingTagBytes(*file_), kMaxFreeTagBytes);
  auto deadline = LimitedFile::Clock::now() + limits_.openDeadline;
  file_->allowUntil(limits_.headerBytes + tag, deadline);
  const AVInputFormat* format = probeAfterTag(*file_, tag, path.c_str(), kAllowedDemuxers);
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  if (!buffer) return false;
  io_ = avio_alloc_context(buffer, kIoBufferSize, 0, file_.get(), &limitedRead, nullptr, &limitedSeek);
  if (!io_) {
    av_free(buffer);
    return false;
  }
  fmt_ = avformat_alloc_context();
  if (!fmt_) return false;
  fmt_->pb = io_;
  fmt_->io_open = &refuseNestedOpen;
  fmt_->interrupt_callback = AVIOInterruptCB{&FfmpegDecoder::interrupted, this};
  AVDictionary* opts = nullptr;
  av_dict_set_int(&opts, "probesize", kProbeSize, 0);
  av_dict_set_int(&opts, "analyzeduration", kAnalyzeMicroseconds, 0);
  av_dict_set_int(&opts, "max_probe_packets", kMaxProbePackets, 0);
  av_dict_set(&opts, "format_whitelist", kAllowedDemuxers, 0);
  av_dict_set(&opts, "protocol_whitelist", "file", 0);
  // The path names the file for extension hints only; the content is read through io_.
  int rc = avformat_open_input(&fmt_, path.c_str(), format, &opts);
  av_dict_free(&opts);
  report.overBudget = file_->overBudget();
  if (rc >= 0) {
    file_->allowUntil(limits_.probeBytes, deadline);
    rc = avformat_find_stream_info(fmt_, nullptr);
    report.overBudget = report.overBudget || file_->overBudget();
  }
  report.bytesRead = file_->bytesRead();
  report.timedOut = file_->timedOut() || file_->pastDeadline();
  // fmt_ is freed and null when the open failed.
  if (rc < 0 || file_->timedOut()) return false;
  // A spent budget only ended the probe early (what it found stands, as at the file's end):
  // reading goes on from where it stopped, a step's budget at a time.
  if (report.overBudget) {
    io_->eof_reached = 0;
    io_->error = 0;
  }
  return true;
}

bool FfmpegDecoder::init(const std::string& path, OpenReport* report) {
  av_log_set_level(AV_LOG_QUIET);
  OpenReport own;
  if (!report) report = &own;
  *report = OpenReport{};
  if (!openContainer(path, *report)) return false;
  file_->allow(limits_.stepBytes);
  const AVCodec* codec = nullptr;
  stream_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (stream_ < 0 || !codec) return false;
  AVStream* st = fmt_->streams[stream_];
  for (unsigned i = 0; i < fmt_->nb_streams; ++i) {
    if (static_cast<int>(i) != stream_) fmt_->streams[i]->discard = AVDISCARD_ALL;
  }
  codec_ = avcodec_alloc_context3(codec);
  if (!codec_ || avcodec_parameters_to_context(codec_, st->codecpar) < 0) return false;
  codec_->pkt_timebase = st->time_base;
  codec_->thread_count = 1;
  if (avcodec_open2(codec_, codec, nullptr) < 0) return false;
  rate_ = codec_->sample_rate;
  channels_ = codec_->ch_layout.nb_channels;
  if (rate_ <= 0 || rate_ > 384000 || channels_ <= 0 || channels_ > kMaxChannels) return false;
  bits_ = static_cast<uint32_t>(st->codecpar->bits_per_raw_sample > 0
                                    ? st->codecpar->bits_per_raw_sample
                                    : av_get_bits_per_sample(st->codecpar->codec_id));
  startPts_ = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
  pkt_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (!pkt_ || !frame_) return false;
  if (codec_->codec_id == AV_CODEC_ID_MUSEPACK7 || codec_->codec_id == AV_CODEC_ID_MUSEPACK8) {
    length_ = MusepackHeader::sampleCountOfFile(path);
  } else if (codec_->codec_id == AV_CODEC_ID_MP3 && std::string(fmt_->iformat->name) == "mp3") {
    length_ = LameHeader::sampleCountOfFile(path);
  }
  if (length_ <= 0) length_ = containerLength();
  return true;
}

int64_t FfmpegDecoder::containerLength() const {
  AVStream* st = fmt_->streams[stream_];
  int64_t frames = 0;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
    frames = av_rescale_q(st->duration, st->time_base, AVRational{1, rate_});
  } else if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0) {
    frames = av_rescale_q(fmt_->duration, AV_TIME_BASE_Q, AVRational{1, rate_});
  }
  // Encoder delay and padding are trimmed by the decoder, so they are not part of the length.
  frames -= st->codecpar->initial_padding + st->codecpar->trailing_padding;
  return std::max<int64_t>(frames, 0);
}

bool FfmpegDecoder::convertFrame() {
  int n = frame_->nb_samples;
  if (n <= 0) return false;
  if (!swr_ || swrFormat_ != frame_->format || swrRate_ != frame_->sample_rate) {
    swr_free(&swr_);
    AVChannelLayout in;
    if (frame_->ch_layout.nb_channels != channels_) return false;
    if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_default(&in, channels_);
    } else {
      av_channel_layout_copy(&in, &frame_->ch_layout);
    }
    // Same rate out as in: the layout and the rate stay the stream's own.
    int rc = swr_alloc_set_opts2(&swr_, &in, AV_SAMPLE_FMT_S16, frame_->sample_rate, &in,
                                 static_cast<AVSampleFormat>(frame_->format), frame_->sample_rate,
                                 0, nullptr);
    av_channel_layout_uninit(&in);
    if (rc < 0 || swr_init(swr_) < 0) {
      swr_free(&swr_);
      return false;
    }
    swrFormat_ = frame_->format;
    swrRate_ = frame_->sample_rate;
  }
  pending_.resize(static_cast<size_t>(n) * channels_);
  uint8_t* out = reinterpret_cast<uint8_t*>(pending_.data());
  int got = swr_convert(swr_, &out, n, const_cast<const uint8_t**>(frame_->extended_data), n);
  if (got <= 0) return false;
  pendingFrames_ = static_cast<size_t>(got);
  pendingPos_ = 0;
  return true;
}

bool FfmpegDecoder::decodeNext() {
  int bad = 0;
  while (!ended_) {
    int rc = avcodec_receive_frame(codec_, frame_);
    if (rc == 0) {
      if (resync_) {
        int64_t pts = frame_->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE) {
          nextFrame_ = av_rescale_q(pts - startPts_, fmt_->streams[stream_]->time_base,
                                    AVRational{1, rate_});
        }
        resync_ = false;
      }
      bool ok = frame_->sample_rate == rate_ && convertFrame();
      av_frame_unref(frame_);
      if (!ok) {
        if (++bad > kMaxBadPackets) ended_ = true;
        continue;
      }
      // Drop what lies before a seek target.
      if (nextFrame_ < dropUntil_) {
        int64_t skip = std::min<int64_t>(dropUntil_ - nextFrame_, pendingFrames_);
        pendingPos_ = static_cast<size_t>(skip);
        nextFrame_ += skip;
        if (pendingPos_ >= pendingFrames_) continue;
      }
      return true;
    }
    if (rc == AVERROR_EOF) {
      ended_ = true;
      break;
    }
    if (rc != AVERROR(EAGAIN)) {
      if (++bad > kMaxBadPackets) ended_ = true;
      continue;
    }
    if (draining_) {
      ended_ = true;
      break;
    }
    file_->allow(limits_.stepBytes);
    rc = av_read_frame(fmt_, pkt_);
    if (rc < 0) {
      draining_ = true;
      avcodec_send_packet(codec_, nullptr);
      continue;
    }
    if (pkt_->stream_index == stream_) {
      // Corrupt packets are skipped; what decodes around them still plays.
      if (avcodec_send_packet(codec_, pkt_) < 0 && ++bad > kMaxBadPackets) ended_ = true;
    }
    av_packet_unref(pkt_);
  }
  return false;
}

int FfmpegDecoder::read(int16_t* out, int maxFrames) {
  int done = 0;
  while (done < maxFrames) {
    if (pendingPos_ >= pendingFrames_) {
      pendingPos_ = pendingFrames_ = 0;
      if (!decodeNext()) break;
    }
    size_t n =
        std::min<size_t>(pendingFrames_ - pendingPos_, static_cast<size_t>(maxFrames - done));
    std::memcpy(out + static_cast<size_t>(done) * channels_, &pending_[pendingPos_ * channels_],
                n * channels_ * sizeof(int16_t));
    pendingPos_ += n;
    nextFrame_ += static_cast<int64_t>(n);
    done += static_cast<int>(n);
  }
  return done;
}

int FfmpegDecoder::seekReading(int64_t ts) {
  // A demuxer without an index reads its way to the target, noting the packets it passes in the
  // stream's index; a later try goes on from the last one noted. So a spent budget is tried
  // again while the index grows: a long file gets there, a run of zeros (no packets) stops
  // where the packets stopped.
  AVStream* st = fmt_->streams[stream_];
  auto lastIndexed = [st] {
    int n = avformat_index_get_entries_count(st);
    const AVIndexEntry* e = n > 0 ? avformat_index_get_entry(st, n - 1) : nullptr;
    return e ? e->timestamp : INT64_MIN;
  };
  for (;;) {
    int64_t before = lastIndexed();
    file_->allow(limits_.stepBytes);
    int rc = av_seek_frame(fmt_, stream_, ts, AVSEEK_FLAG_BACKWARD);
    // Cut short, the seek lands on the last packet noted, which may be far from the target.
    if (!file_->overBudget() || lastIndexed() <= before) return rc;
    io_->eof_reached = 0;
    io_->error = 0;
  }
}

bool FfmpegDecoder::seekTo(int64_t frame, int64_t margin) {
  int64_t from = std::max<int64_t>(frame - margin, 0);
  AVStream* st = fmt_->streams[stream_];
  int64_t ts = startPts_ + av_rescale_q(from, AVRational{1, rate_}, st->time_base);
  int rc = from == 0 ? -1 : seekReading(ts);
  if (rc < 0) {
    // From the very start: always possible for a file, and then counting is exact.
    file_->allow(limits_.stepBytes);
    rc = av_seek_frame(fmt_, stream_, startPts_, AVSEEK_FLAG_BACKWARD);
    if (rc < 0) {
      file_->allow(limits_.stepBytes);
      rc = avformat_seek_file(fmt_, -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE);
    }
    if (rc < 0) return false;
    from = 0;
  }
  avcodec_flush_buffers(codec_);
  if (swr_) swr_init(swr_);
  pendingPos_ = pendingFrames_ = 0;
  draining_ = ended_ = false;
  nextFrame_ = from;
  resync_ = from != 0;
  dropUntil_ = frame;
  return true;
}

bool FfmpegDecoder::seek(int64_t frame) {
  if (frame < 0) frame = 0;
  // Some demuxers land late (after the target); then go back further, finally to the start.
  const int64_t margins[] = {rate_ / 2, rate_ * 4, rate_ * 20, INT64_MAX / 2};
  for (int64_t margin : margins) {
    if (!seekTo(frame, margin)) return false;
    if (frame == 0 || !decodeNext()) return true;
    // decodeNext has dropped everything before the target; landing late shows as a gap.
    int64_t firstFrame = nextFrame_ - static_cast<int64_t>(pendingPos_);
    if (firstFrame <= frame || nextFrame_ <= frame) return true;
    if (frame - margin <= 0) return true;
  }
  return true;
}

}  // namespace vemla::audio
