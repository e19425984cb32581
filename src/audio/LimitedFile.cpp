#include "audio/LimitedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vemla::audio {

std::unique_ptr<LimitedFile> LimitedFile::open(const std::string& path) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer, for ever.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return std::unique_ptr<LimitedFile>(new LimitedFile(fd, static_cast<int64_t>(st.st_size)));
}

LimitedFile::~LimitedFile() {
  if (fd_ >= 0) ::close(fd_);
}

void LimitedFile::allow(int64_t bytes) {
  left_ = bytes;
  hasDeadline_ = false;
  overBudget_ = timedOut_ = false;
}

void LimitedFile::allowUntil(int64_t bytes, Clock::time_point deadline) {
  allow(bytes);
  hasDeadline_ = true;
  deadline_ = deadline;
}

bool LimitedFile::pastDeadline() const { return hasDeadline_ && Clock::now() >= deadline_; }

int LimitedFile::read(uint8_t* buffer, int size) {
  if (size <= 0) return 0;
  if (pastDeadline()) {
    timedOut_ = true;
    return -1;
  }
  if (left_ <= 0) {
    overBudget_ = true;
    return -1;
  }
  size_t want = static_cast<size_t>(std::min<int64_t>(size, left_));
  ssize_t got;
  do {
    got = ::read(fd_, buffer, want);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return -1;
  left_ -= got;
  total_ += got;
  return static_cast<int>(got);
}

int64_t LimitedFile::seek(int64_t offset, int whence) {
  off_t at = ::lseek(fd_, static_cast<off_t>(offset), whence);
  return at < 0 ? -1 : static_cast<int64_t>(at);
}

}  // namespace vemla::audio
