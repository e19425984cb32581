// libFuzzer target: the ID3v2 reader over arbitrary bytes, then the tag it would write.
#include <cstdlib>
#include <string>

#include "tags/MemorySource.h"
#include "tags/TID3v2.h"

using vemla::tags::MemorySource;
using vemla::tags::TID3v2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  TID3v2 tag;
  if (!tag.LoadFrom(source)) return 0;
  std::string written;
  if (!tag.BuildTag(written)) std::abort();
  // Our own tag must be read back with the same texts, as long as they fit the read window
  // (a text that had no encoding byte in front may be one byte too long for it).
  MemorySource again(written);
  TID3v2 back;
  if (!back.LoadFrom(again) || !back.Present()) std::abort();
  auto same = [](const std::string& a, const std::string& b) { return b.size() >= 240 || a == b; };
  if (!same(back.Title(), tag.Title()) || !same(back.Artist(), tag.Artist()) ||
      !same(back.Album(), tag.Album()) || !same(back.Year(), tag.Year()) ||
      back.TrackNo() != tag.TrackNo())
    std::abort();
  return 0;
}
