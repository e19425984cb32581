#pragma once
// The one file a decoder reads, with a budget: a demuxer call may read only so many bytes (and,
// while a file is being opened, only until a deadline) before its reads fail. A run of zeros or a
// sparse file therefore costs a bounded read and a bounded parser buffer, never the whole file.
//
// Only regular files are opened, and without blocking: a FIFO or a device never reaches a
// demuxer. Used by one thread at a time, like the decoder that owns it.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace vemla::audio {

class LimitedFile {
 public:
  using Clock = std::chrono::steady_clock;

  // Null when `path` is not a regular file that can be read.
  static std::unique_ptr<LimitedFile> open(const std::string& path);
  ~LimitedFile();
  LimitedFile(const LimitedFile&) = delete;
  LimitedFile& operator=(const LimitedFile&) = delete;

  // From now on reads may take `bytes` more in all; with `deadline`, reads after it fail too.
  void allow(int64_t bytes);
  void allowUntil(int64_t bytes, Clock::time_point deadline);

  // Bytes read; 0 at the end of the file; -1 once the budget or the deadline is spent.
  int read(uint8_t* buffer, int size);
  // lseek semantics; -1 on failure.
  int64_t seek(int64_t offset, int whence);
  int64_t size() const { return size_; }

  bool overBudget() const { return overBudget_; }
  bool pastDeadline() const;
  bool timedOut() const { return timedOut_; }
  // Bytes read since the file was opened.
  int64_t bytesRead() const { return total_; }

 private:
  explicit LimitedFile(int fd, int64_t size) : fd_(fd), size_(size) {}

  int fd_ = -1;
  int64_t size_ = 0;
  int64_t left_ = 0;
  int64_t total_ = 0;
  bool hasDeadline_ = false;
  Clock::time_point deadline_{};
  bool overBudget_ = false;
  bool timedOut_ = false;
};

}  // namespace vemla::audio
