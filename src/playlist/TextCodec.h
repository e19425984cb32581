#pragma once
// List files may come from programs that wrote the Windows code page: a line that is not valid
// UTF-8 is taken as Windows-1252.
#include <string>
#include <string_view>

namespace vemla::playlist {

bool IsValidUtf8(std::string_view s);
std::string Windows1252ToUtf8(std::string_view s);
// `s` itself when valid UTF-8, else its Windows-1252 reading.
std::string ToUtf8(std::string_view s);

}  // namespace vemla::playlist
