#pragma once
// The picture an audio file carries: an ID3v2 APIC frame, a FLAC or Ogg picture block, an MP4
// or WMA cover. FFmpeg presents each as an attached-picture stream, filled while the
// container's head is read, so no audio is decoded and the file is not scanned.
#include <cstddef>
#include <string>

namespace vemla::audio {

// The encoded bytes (JPEG, PNG, ...) of the front cover, else of the first picture; empty when
// the file holds none, cannot be opened, or its picture is larger than `maxBytes`.
std::string ReadAttachedPicture(const std::string& path, size_t maxBytes = 32u << 20);

}  // namespace vemla::audio
