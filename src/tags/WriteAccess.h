#pragma once
#include <string>

namespace vemla::tags {

// Write protection of files the tag writers rewrite.
class WriteAccess {
 public:
  // Gives the owner write permission to `fileName` (the file, never its folder) when it lacks
  // it. False when the file is missing, not a regular file, or its mode cannot be changed.
  static bool Clear(const std::string& fileName);
};

}  // namespace vemla::tags
