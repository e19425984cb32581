#pragma once
// Picking the container of a file that begins with a large ID3v2 tag (cover pictures) from the
// bytes after the tag. Left to itself, FFmpeg's probe runs every demuxer's probe over the tag's
// bytes at each of its growing probe steps, which costs tens of milliseconds for a 1 MB picture;
// it decides on the bytes after the tag in the end, so deciding there at once gives the same
// format.
#include <cstdint>

struct AVInputFormat;

namespace vemla::audio {

class LimitedFile;

// Tags smaller than this are probed the usual way.
constexpr int64_t kLargeTagBytes = 64 * 1024;

// The demuxer (one of the comma-separated `allowed`) for the bytes after a `tagBytes` tag, or
// null when the tag is small or no demuxer is sure (the caller then probes the usual way). Reads
// up to 64 KB through `file`, within the budget the caller gave it, and leaves it at offset 0.
const AVInputFormat* probeAfterTag(LimitedFile& file, int64_t tagBytes, const char* path,
                                   const char* allowed);

}  // namespace vemla::audio
