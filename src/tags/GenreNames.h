#pragma once
#include <string>

namespace vemla::tags {

// The ID3v1 genre list with its later extensions, indexed by genre code.
class GenreNames {
 public:
  static constexpr int kCount = 148;

  // The name of `code`, or an empty text for codes above 147.
  static std::string Name(int code);
};

}  // namespace vemla::tags
