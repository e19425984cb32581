#pragma once
// Lock-free single-producer/single-consumer ring of interleaved stereo 16-bit frames.
// The decoder thread writes, the device callback reads; neither ever blocks or allocates.
// reset() is only safe while both sides are held still by the caller.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace vemla::audio {

class SpscRing {
 public:
  // capacityFrames is rounded up to a power of two.
  explicit SpscRing(size_t capacityFrames) {
    size_t cap = 1;
    while (cap < capacityFrames) cap <<= 1;
    capacity_ = cap;
    data_ = std::make_unique<int16_t[]>(cap * 2);
  }

  size_t capacity() const { return capacity_; }
  size_t readable() const {
    return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_acquire);
  }
  size_t writable() const { return capacity_ - readable(); }

  size_t write(const int16_t* frames, size_t count) {
    size_t head = head_.load(std::memory_order_relaxed);
    size_t tail = tail_.load(std::memory_order_acquire);
    size_t n = std::min(count, capacity_ - (head - tail));
    copyIn(head, frames, n);
    head_.store(head + n, std::memory_order_release);
    return n;
  }

  size_t read(int16_t* frames, size_t count) {
    size_t tail = tail_.load(std::memory_order_relaxed);
    size_t head = head_.load(std::memory_order_acquire);
    size_t n = std::min(count, head - tail);
    copyOut(tail, frames, n);
    tail_.store(tail + n, std::memory_order_release);
    return n;
  }

  void reset() {
    head_.store(0, std::memory_order_relaxed);
    tail_.store(0, std::memory_order_release);
  }

 private:
  void copyIn(size_t at, const int16_t* src, size_t n) {
    size_t pos = at & (capacity_ - 1);
    size_t first = std::min(n, capacity_ - pos);
    std::memcpy(&data_[pos * 2], src, first * 4);
    std::memcpy(&data_[0], src + first * 2, (n - first) * 4);
  }
  void copyOut(size_t at, int16_t* dst, size_t n) const {
    size_t pos = at & (capacity_ - 1);
    size_t first = std::min(n, capacity_ - pos);
    std::memcpy(dst, &data_[pos * 2], first * 4);
    std::memcpy(dst + first * 2, &data_[0], (n - first) * 4);
  }

  size_t capacity_ = 0;
  std::unique_ptr<int16_t[]> data_;
  alignas(64) std::atomic<size_t> head_{0};  // frames ever written
  alignas(64) std::atomic<size_t> tail_{0};  // frames ever read
};

}  // namespace vemla::audio
