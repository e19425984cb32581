#include "audio/Stream.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace vemla::audio {

namespace {
constexpr int kChunkFrames = 1024;
constexpr size_t kRingFrames = 32768;  // ~0.74 s at 44100 Hz

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

uint32_t pack(int16_t l, int16_t r) {
  return static_cast<uint16_t>(l) | static_cast<uint32_t>(static_cast<uint16_t>(r)) << 16;
}
}  // namespace

Stream::Stream(std::unique_ptr<Decoder> decoder, uint32_t ctype, int deviceRate, bool realTime)
    : decoder_(std::move(decoder)),
      ctype_(ctype),
      deviceRate_(deviceRate),
      realTime_(realTime),
      rate_(decoder_->rate()),
      channels_(decoder_->channels()),
      length_(decoder_->lengthFrames()),
      bits_(decoder_->originalBits()),
      ring_(kRingFrames),
      history_(new std::atomic<uint32_t>[kHistoryFrames]) {
  for (int i = 0; i < kHistoryFrames; ++i) history_[i].store(0, std::memory_order_relaxed);
}

Stream::~Stream() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  cv_.notify_all();
  if (worker_.joinable()) worker_.join();
  swr_free(&swr_);
}

size_t Stream::maxChunkOut() const {
  return static_cast<size_t>(kChunkFrames) * deviceRate_ / rate_ + 256;
}

std::chrono::milliseconds Stream::idleWait() const {
  if (!realTime_) return std::chrono::milliseconds(1);
  const size_t refillAt = ring_.capacity() / 2;
  const size_t readable = ring_.readable();
  const size_t above = readable > refillAt ? readable - refillAt : 0;
  // At least a few ms, so a paused stream (whose ring does not drain) wakes rarely too.
  return std::chrono::milliseconds(
      std::max<int64_t>(5, static_cast<int64_t>(above) * 1000 / deviceRate_ + 1));
}

void Stream::startWorker() {
  if (worker_.joinable()) return;
  in_.resize(static_cast<size_t>(kChunkFrames) * channels_);
  stereo_.resize(static_cast<size_t>(kChunkFrames) * 2);
  out_.resize(maxChunkOut() * 2);
  // Mono is copied to both sides at full level; more than two channels are mixed down, and any
  // other rate resampled, by libswresample.
  if (rate_ != deviceRate_ || channels_ > 2) {
    AVChannelLayout in, out;
    av_channel_layout_default(&in, channels_ == 1 ? 2 : channels_);
    av_channel_layout_default(&out, 2);
    if (swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_S16, deviceRate_, &in, AV_SAMPLE_FMT_S16,
                            rate_, 0, nullptr) < 0 ||
        swr_init(swr_) < 0) {
      swr_free(&swr_);
      unconvertible_ = true;
    }
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
  }
  worker_ = std::thread([this] { workerLoop(); });
}

void Stream::workerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    if (parkRequest_) {
      parked_ = true;
      cv_.notify_all();
      cv_.wait(lock, [this] { return !parkRequest_ || quit_; });
      parked_ = false;
      continue;
    }
    if (pendingSeek_ >= 0) {
      int64_t frame = pendingSeek_;
      pendingSeek_ = -1;
      lock.unlock();
      bool ok = decoder_->seek(frame);
      if (swr_) swr_init(swr_);  // drops what the resampler still held from before
      if (!ok) eof_.store(true, std::memory_order_release);
      lock.lock();
      continue;
    }
    if (eof_.load(std::memory_order_acquire)) {
      // Only a park (every seek starts with one) or quitting brings work now; both notify.
      cv_.wait(lock);
      continue;
    }
    // The callback cannot signal (it must not lock), so the worker sleeps for as long as the
    // ring lasts until the refill mark, then fills it up in one go.
    const size_t refillAt = realTime_ ? ring_.capacity() / 2 : ring_.capacity();
    if (ring_.writable() < maxChunkOut()) {
      refilling_ = false;
    } else if (ring_.readable() <= refillAt) {
      refilling_ = true;
    }
    if (!refilling_) {
      cv_.wait_for(lock, idleWait());
      continue;
    }
    lock.unlock();
    produceChunk();
    lock.lock();
    cv_.notify_all();
  }
}

void Stream::produceChunk() {
  if (unconvertible_) {
    eof_.store(true, std::memory_order_release);  // nothing can be played
    return;
  }
  int got = decoder_->read(in_.data(), kChunkFrames);
  const int16_t* src = in_.data();
  if (got > 0 && channels_ == 1) {
    for (int i = 0; i < got; ++i) stereo_[2 * i] = stereo_[2 * i + 1] = in_[i];
    src = stereo_.data();
  }
  if (!swr_) {
    if (got > 0) ring_.write(src, static_cast<size_t>(got));
  } else {
    uint8_t* out = reinterpret_cast<uint8_t*>(out_.data());
    const uint8_t* in = reinterpret_cast<const uint8_t*>(src);
    int made = got > 0 ? swr_convert(swr_, &out, static_cast<int>(maxChunkOut()), &in, got)
                       : swr_convert(swr_, &out, static_cast<int>(maxChunkOut()), nullptr, 0);
    if (made > 0) ring_.write(out_.data(), static_cast<size_t>(made));
  }
  if (got <= 0) eof_.store(true, std::memory_order_release);
}

void Stream::prebuffer(size_t frames, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!worker_.joinable()) {
    lock.unlock();
    startWorker();
    lock.lock();
  }
  frames = std::min(frames, ring_.capacity() / 2);
  cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return ring_.readable() >= frames || eof_.load(std::memory_order_acquire) || parkRequest_;
  });
}

void Stream::parkWorker() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!worker_.joinable()) return;
  parkRequest_ = true;
  cv_.notify_all();
  cv_.wait(lock, [this] { return parked_; });
}

void Stream::resumeWorkerAt(int64_t frame) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pendingSeek_ = frame;
    parkRequest_ = false;
  }
  cv_.notify_all();
}

void Stream::resetPlayback(int64_t frame) {
  ring_.reset();
  eof_.store(false, std::memory_order_release);
  endPending_.store(false, std::memory_order_release);
  consumed_.store(0, std::memory_order_release);
  base_ = frame;
  drainStart_ = 0;
}

void Stream::markPlayRequested() {
  firstMixNs_.store(0, std::memory_order_release);
  playRequestNs_.store(nowNs(), std::memory_order_release);
}

int64_t Stream::startDelayNs() const {
  int64_t first = firstMixNs_.load(std::memory_order_acquire);
  return first ? first - playRequestNs_.load(std::memory_order_acquire) : 0;
}

int64_t Stream::heardFrame(int64_t latency) const {
  int64_t heard = std::max<int64_t>(consumed_.load(std::memory_order_acquire) - latency, 0);
  int64_t frame = base_ + heard * rate_ / deviceRate_;
  if (length_ > 0) frame = std::min(frame, length_);
  return frame;
}

template <class Visit>
int Stream::forEachHeard(int frames, int64_t latency, Visit visit) const {
  frames = std::clamp(frames, 0, kHistoryFrames / 2);
  latency = std::clamp<int64_t>(latency, 0, kHistoryFrames - frames);
  uint64_t count = historyCount_.load(std::memory_order_acquire);
  uint64_t end =
      count > static_cast<uint64_t>(latency) ? count - static_cast<uint64_t>(latency) : 0;
  // Frames from before the first one ever mixed are silence.
  const uint64_t first = end >= static_cast<uint64_t>(frames) ? end - frames : 0;
  int i = 0;
  for (; i < frames - static_cast<int>(end - first); ++i) visit(i, 0u);
  // At most two straight runs of the circular history, so the inner loop only reads on.
  for (uint64_t at = first; at < end;) {
    const size_t start = static_cast<size_t>(at % kHistoryFrames);
    const size_t run =
        static_cast<size_t>(std::min<uint64_t>(end - at, kHistoryFrames - start));
    const std::atomic<uint32_t>* words = history_.get() + start;
    for (size_t k = 0; k < run; ++k, ++i) visit(i, words[k].load(std::memory_order_relaxed));
    at += run;
  }
  return frames;
}

int Stream::copyHeard(int16_t* out, int frames, int64_t latency) const {
  return forEachHeard(frames, latency, [out](int i, uint32_t v) {
    out[2 * i] = static_cast<int16_t>(v & 0xffff);
    out[2 * i + 1] = static_cast<int16_t>(v >> 16);
  });
}

uint32_t Stream::level(int frames, int64_t latency) const {
  int peakL = 0, peakR = 0;
  forEachHeard(frames, latency, [&](int, uint32_t v) {
    peakL = std::max(peakL, std::abs(static_cast<int>(static_cast<int16_t>(v & 0xffff))));
    peakR = std::max(peakR, std::abs(static_cast<int>(static_cast<int16_t>(v >> 16))));
  });
  return static_cast<uint32_t>(peakL) | static_cast<uint32_t>(peakR) << 16;
}

bool Stream::mix(int32_t* acc, int16_t* scratch, int frames, uint64_t callbackIndex) {
  if (state_.load(std::memory_order_acquire) != kPlaying) return false;
  bool eof = eof_.load(std::memory_order_acquire);
  size_t n = ring_.read(scratch, static_cast<size_t>(frames));
  if (n > 0) {
    // 16.16 fixed point: volume 100 passes every sample unchanged.
    const int32_t gain =
        static_cast<int32_t>(volume_.load(std::memory_order_relaxed) * 65536.0f + 0.5f);
    const uint64_t h = historyCount_.load(std::memory_order_relaxed);
    for (size_t done = 0; done < n;) {
      const size_t start = static_cast<size_t>((h + done) % kHistoryFrames);
      const size_t run = std::min(n - done, kHistoryFrames - start);
      std::atomic<uint32_t>* words = history_.get() + start;
      const int16_t* from = scratch + 2 * done;
      for (size_t k = 0; k < run; ++k) {
        words[k].store(pack(from[2 * k], from[2 * k + 1]), std::memory_order_relaxed);
      }
      done += run;
    }
    // Kept apart from the atomic stores above so the compiler can vectorise it.
    for (size_t i = 0; i < 2 * n; ++i) acc[i] += (scratch[i] * gain) >> 16;
    historyCount_.store(h + n, std::memory_order_release);
    if (firstMixNs_.load(std::memory_order_relaxed) == 0) {
      firstMixNs_.store(nowNs(), std::memory_order_release);
    }
    consumed_.fetch_add(static_cast<int64_t>(n), std::memory_order_acq_rel);
  }
  if (eof && n < static_cast<size_t>(frames)) {
    if (drainStart_ == 0) {
      drainStart_ = callbackIndex;
    } else if (callbackIndex >= drainStart_ + kDrainCallbacks) {
      state_.store(kEnded, std::memory_order_release);
      endPending_.store(true, std::memory_order_release);
      return true;
    }
  }
  return false;
}

}  // namespace vemla::audio
