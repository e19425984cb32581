#pragma once
// FFmpeg's side of a LimitedFile: the callbacks of a custom I/O context that reads only through
// it, and an io_open that refuses every further file, so a demuxer can read nothing but the file
// it was given, within its budget.
#include <cstdint>

struct AVDictionary;
struct AVFormatContext;
struct AVIOContext;

namespace vemla::audio {

class LimitedFile;

// avio_alloc_context callbacks; `file` is the LimitedFile.
int limitedRead(void* file, uint8_t* buffer, int size);
int64_t limitedSeek(void* file, int64_t offset, int whence);

// AVFormatContext::io_open that opens nothing.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**);

// Size of an ID3v2 tag at the file's start, header and footer included; 0 when there is none.
// Leaves the file at offset 0.
int64_t leadingTagBytes(LimitedFile& file);

}  // namespace vemla::audio
