#include "tags/MemorySource.h"

#include <cstring>

namespace vemla::tags {

size_t MemorySource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (offset >= bytes_.size()) return 0;
  size_t avail = bytes_.size() - static_cast<size_t>(offset);
  size_t count = n < avail ? n : avail;
  if (count > 0) std::memcpy(out, bytes_.data() + offset, count);
  return count;
}

}  // namespace vemla::tags
