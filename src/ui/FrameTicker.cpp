#include "ui/FrameTicker.h"

#include <pthread.h>

#include <utility>

namespace vemla::ui {

FrameTicker::FrameTicker(std::chrono::milliseconds period, std::function<bool()> tick)
    : period_(period), tick_(std::move(tick)), thread_([this] { run(); }) {}

FrameTicker::~FrameTicker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void FrameTicker::arm() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Counted even when armed: a tick refusing at this moment then does not disarm it.
    armed_ = true;
    ++arming_;
  }
  changed_.notify_all();
}

void FrameTicker::disarm() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
  }
  changed_.notify_all();
}

bool FrameTicker::armed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return armed_;
}

void FrameTicker::run() {
  using Clock = std::chrono::steady_clock;
  pthread_setname_np(pthread_self(), "FrameTicker");
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return armed_ || quit_; });
    if (quit_) return;
    const unsigned arming = arming_;
    const auto stillArmed = [&] { return armed_ && !quit_ && arming_ == arming; };
    auto next = Clock::now() + period_;
    while (stillArmed()) {
      // Woken early only by a change of arming or by the end.
      if (changed_.wait_until(lock, next, [&] { return !stillArmed(); })) break;
      lock.unlock();
      const bool again = tick_();
      lock.lock();
      if (!again && arming_ == arming) armed_ = false;
      // A steady 25 a second; after a stall the next comes a period on, not in a burst.
      next += period_;
      const auto now = Clock::now();
      if (next < now) next = now + period_;
    }
  }
}

}  // namespace vemla::ui
