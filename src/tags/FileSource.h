#pragma once
#include <string>
#include <vector>

#include "tags/ByteSource.h"

namespace vemla::tags {

// A read-only regular file. Reads go through one small block cache, since the tag parsers ask
// for many short runs (frame headers, item lengths) close to each other.
class FileSource : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // Opens `fileName`; false when it is missing, unreadable or not a regular file (directories,
  // pipes and devices are refused so a read can neither fail oddly nor block).
  bool Open(const std::string& fileName);
  bool IsOpen() const { return fd_ >= 0; }

  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  std::vector<unsigned char> block_;
  uint64_t blockStart_ = 0;
  size_t blockLen_ = 0;
};

}  // namespace vemla::tags
