#include "tags/FileSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vemla::tags {

namespace {
constexpr size_t kBlockSize = 4096;
}

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileSource::Open(const std::string& fileName) {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  blockLen_ = 0;
  // Non-blocking so that opening a FIFO cannot hang; anything but a regular file is refused.
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

size_t FileSource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (fd_ < 0 || offset >= size_ || n == 0) return 0;
  auto* dst = static_cast<unsigned char*>(out);
  size_t done = 0;
  while (done < n) {
    uint64_t pos = offset + done;
    if (blockLen_ > 0 && pos >= blockStart_ && pos < blockStart_ + blockLen_) {
      size_t inBlock = static_cast<size_t>(pos - blockStart_);
      size_t take = blockLen_ - inBlock;
      if (take > n - done) take = n - done;
      std::memcpy(dst + done, block_.data() + inBlock, take);
      done += take;
      continue;
    }
    if (n - done >= kBlockSize) {
      // Large runs bypass the cache.
      ssize_t got = ::pread(fd_, dst + done, n - done, static_cast<off_t>(pos));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
      continue;
    }
    // Reading backwards (the Ogg reader steps back from the end of the file), the block ends
    // where the request ends, so the next steps hit it too.
    uint64_t start = pos;
    if (blockLen_ > 0 && pos < blockStart_) {
      uint64_t end = pos + (n - done);
      start = end > kBlockSize ? end - kBlockSize : 0;
    }
    block_.resize(kBlockSize);
    ssize_t got = ::pread(fd_, block_.data(), kBlockSize, static_cast<off_t>(start));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || start + static_cast<uint64_t>(got) <= pos) {
      blockLen_ = 0;
      break;
    }
    blockStart_ = start;
    blockLen_ = static_cast<size_t>(got);
  }
  return done;
}

}  // namespace vemla::tags
