// libFuzzer target: the ID3v1 reader over arbitrary bytes, then a write/read round trip.
#include <cstdlib>

#include "tags/MemorySource.h"
#include "tags/TID3v1.h"

using vemla::tags::MemorySource;
using vemla::tags::TID3v1;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  TID3v1 tag;
  if (!tag.LoadFrom(source)) return 0;
  // What was read must come back unchanged from the record it writes.
  TID3v1 copy;
  copy.SetTitle(tag.Title());
  copy.SetArtist(tag.Artist());
  copy.SetAlbum(tag.Album());
  copy.SetYear(tag.Year());
  copy.SetComment(tag.Comment());
  copy.SetTrackNo(tag.TrackNo());
  copy.SetGenreCode(tag.GenreCode());
  TID3v1 back;
  back.Parse(copy.Record());
  if (tag.Present() && (back.Title() != tag.Title() || back.Artist() != tag.Artist() ||
                        back.Album() != tag.Album() || back.Year() != tag.Year() ||
                        back.TrackNo() != tag.TrackNo() || back.GenreCode() != tag.GenreCode()))
    std::abort();
  return 0;
}
