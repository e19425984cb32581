#pragma once
// One open stream: its decoder, the worker thread that decodes ahead into a lock-free ring of
// device-format frames (stereo 16-bit at the device rate), and what the device callback needs
// to mix it. Threads:
// - the user-interface thread calls everything but mix(), starved() and takeEndPending();
// - the device callback calls mix() and starved(), which never block, allocate or decode;
// - the end notifier calls takeEndPending();
// - the worker thread alone uses the decoder once started.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/Decoder.h"
#include "audio/SpscRing.h"

struct SwrContext;

namespace vemla::audio {

class Stream {
 public:
  enum State { kStopped = 0, kPlaying = 1, kPaused = 3, kEnded = 4 };

  // `realTime`: the device drains the ring at `deviceRate` frames a second. The worker then
  // fills the ring, sleeps until half of it has played and refills it in one burst, so it
  // wakes a few times a second instead of once per device buffer. Otherwise (a sink that
  // takes whatever is there at once) it tops the ring up whenever a chunk fits, looking every
  // millisecond.
  Stream(std::unique_ptr<Decoder> decoder, uint32_t ctype, int deviceRate, bool realTime = true);
  ~Stream();  // joins the worker
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  int rate() const { return rate_; }
  int channels() const { return channels_; }
  int64_t lengthFrames() const { return length_; }
  uint32_t ctype() const { return ctype_; }
  uint32_t originalBits() const { return bits_; }

  State state() const { return static_cast<State>(state_.load(std::memory_order_acquire)); }
  void setState(State s) { state_.store(s, std::memory_order_release); }
  void setVolume(float gain) { volume_.store(gain, std::memory_order_relaxed); }
  bool ended() const { return eof_.load(std::memory_order_acquire); }

  // Starts decoding ahead (once); then waits until `frames` are buffered, the end is reached
  // or `timeoutMs` passed.
  void prebuffer(size_t frames, int timeoutMs);

  // Seeking: park the worker, reset what the callback sees (with the device locked by the
  // caller), then resume the worker, which seeks the decoder before anything else, so the
  // caller never waits for a slow seek.
  void parkWorker();
  void resetPlayback(int64_t frame);
  void resumeWorkerAt(int64_t frame);

  // Source frame being heard, given the device-frames latency.
  int64_t heardFrame(int64_t latency) const;
  // The last `frames` stereo frames heard (device format); returns how many were copied.
  int copyHeard(int16_t* out, int frames, int64_t latency) const;
  // Peak of the last `frames` heard, left in the low word, right in the high word.
  uint32_t level(int frames, int64_t latency) const;

  // Device callback: whether the stream plays but has fewer than `frames` decoded ahead.
  bool starved(size_t frames) const {
    return state_.load(std::memory_order_acquire) == kPlaying &&
           !eof_.load(std::memory_order_acquire) && ring_.readable() < frames;
  }
  // Device callback: adds this stream's next frames into `acc` (stereo, 32-bit), using
  // `scratch` (frames x 2). Returns true when the stream's last sample has just been heard.
  bool mix(int32_t* acc, int16_t* scratch, int frames, uint64_t callbackIndex);
  // From the last markPlayRequested() to the first frame handed to the device, in ns; 0 while
  // nothing was handed yet. For measuring the start latency.
  void markPlayRequested();
  int64_t startDelayNs() const;

  // Set by mix() at the end; taken once by the end notifier.
  bool takeEndPending() { return endPending_.exchange(false, std::memory_order_acq_rel); }

  // Whether the end must wait this many device callbacks after the last sample was handed over.
  static constexpr uint64_t kDrainCallbacks = 2;
  // Holds the frames of two device buffers in flight (8192 frames each on the disk sink) plus
  // the largest request.
  static constexpr int kHistoryFrames = 32768;

 private:
  void startWorker();
  void workerLoop();
  void produceChunk();
  size_t maxChunkOut() const;
  std::chrono::milliseconds idleWait() const;
  template <class Visit>
  int forEachHeard(int frames, int64_t latency, Visit visit) const;

  std::unique_ptr<Decoder> decoder_;
  const uint32_t ctype_;
  const int deviceRate_;
  const bool realTime_;
  const int rate_;
  const int channels_;
  const int64_t length_;
  const uint32_t bits_;

  SpscRing ring_;
  std::atomic<int> state_{kStopped};
  std::atomic<float> volume_{1.0f};
  std::atomic<bool> eof_{false};
  std::atomic<bool> endPending_{false};
  std::atomic<int64_t> consumed_{0};  // device frames handed out since base_
  int64_t base_ = 0;                  // source frame at which consumed_ started
  uint64_t drainStart_ = 0;           // callback index when the ring ran dry at the end
  std::atomic<int64_t> playRequestNs_{0};
  std::atomic<int64_t> firstMixNs_{0};

  std::unique_ptr<std::atomic<uint32_t>[]> history_;  // packed L | R << 16
  std::atomic<uint64_t> historyCount_{0};

  // Worker.
  std::thread worker_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool quit_ = false;
  bool parkRequest_ = false;
  bool parked_ = false;
  int64_t pendingSeek_ = -1;
  bool refilling_ = true;  // between falling to the refill mark and filling the ring up
  SwrContext* swr_ = nullptr;
  bool unconvertible_ = false;  // no converter to the device format could be made
  std::vector<int16_t> in_;
  std::vector<int16_t> stereo_;
  std::vector<int16_t> out_;
};

}  // namespace vemla::audio
