#pragma once
// Calls a function every period on a thread of its own while armed; a call that returns false
// disarms it. Waking the user-interface thread for the visualiser's 25 frames a second costs
// about twice what waking a plain thread does (bench/peers/threads.sh --wakes), and the frames
// need nothing of the toolkit once their targets are known (DirectFrame::PutAt).
//
// Disarmed, the thread sleeps until armed again: an idle ticker wakes nothing. A call already
// under way when disarm() returns still finishes; callers that must know it has ended guard
// their work with a lock of their own.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vemla::ui {

class FrameTicker {
 public:
  FrameTicker(std::chrono::milliseconds period, std::function<bool()> tick);
  ~FrameTicker();
  FrameTicker(const FrameTicker&) = delete;
  FrameTicker& operator=(const FrameTicker&) = delete;

  // The next call comes one period from now, armed before or not.
  void arm();
  void disarm();
  bool armed() const;

 private:
  void run();

  const std::chrono::milliseconds period_;
  const std::function<bool()> tick_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool armed_ = false;
  bool quit_ = false;
  unsigned arming_ = 0;  // counts arm() calls, so each restarts the period
  std::thread thread_;
};

}  // namespace vemla::ui
