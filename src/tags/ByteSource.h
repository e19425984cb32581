#pragma once
// Random-access bytes for the tag parsers: a file or a memory buffer. Parsers see only this, so
// malformed input can be tested and fuzzed from memory.
#include <cstddef>
#include <cstdint>

namespace vemla::tags {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Total number of bytes.
  virtual uint64_t Size() const = 0;

  // Copies up to `n` bytes starting at `offset` into `out`; returns how many were copied. Fewer
  // than `n` means the end was reached or a read error occurred (callers treat both alike).
  virtual size_t ReadAt(uint64_t offset, void* out, size_t n) = 0;

  // True when exactly `n` bytes were read.
  bool ReadExact(uint64_t offset, void* out, size_t n) { return ReadAt(offset, out, n) == n; }
};

}  // namespace vemla::tags
