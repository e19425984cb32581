// libFuzzer target: the ID3v2 reader over arbitrary bytes, then the tag it would write.
#include <cstdlib>
#include <string>

#include "tags/MemorySource.h"
#include "tags/TID3v2.h"
#include "tags/TagText.h"

using vemla::tags::MemorySource;
using vemla::tags::TID3v2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  TID3v2 tag;
  if (!tag.LoadFrom(source)) return 0;
  std::string written;
  if (!tag.BuildTag(written)) std::abort();
  // Our own tag must be read back with the same texts, as long as they fit the read window
  // (a text that had no encoding byte in front may be one byte too long for it); every text
  // read must be whole UTF-8.
  MemorySource again(written);
  TID3v2 back;
  if (!back.LoadFrom(again) || !back.Present()) std::abort();
  // Texts read from UTF-16 frames are written as ISO-8859-1, "?" for what it cannot hold.
  auto same = [](const std::string& a, const std::string& b) {
    using namespace vemla::tags::text;
    std::string latin1 = Utf8ToLatin1(b);
    return latin1.size() >= 240 || a == Latin1ToUtf8(latin1);
  };
  for (const std::string* t :
       {&tag.Title(), &tag.Artist(), &tag.Album(), &tag.Year(), &tag.Genre(), &tag.Comment()}) {
    if (vemla::tags::text::DecodeUtf8(*t) != *t) std::abort();
  }
  if (!same(back.Title(), tag.Title()) || !same(back.Artist(), tag.Artist()) ||
      !same(back.Album(), tag.Album()) || !same(back.Year(), tag.Year()) ||
      back.TrackNo() != tag.TrackNo())
    std::abort();
  return 0;
}
