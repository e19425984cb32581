#pragma once
#include <string_view>

#include "tags/ByteSource.h"

namespace vemla::tags {

// A ByteSource over a buffer the caller keeps alive.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  MemorySource(const void* data, size_t size) : bytes_(static_cast<const char*>(data), size) {}

  uint64_t Size() const override { return bytes_.size(); }
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;

 private:
  std::string_view bytes_;
};

}  // namespace vemla::tags
