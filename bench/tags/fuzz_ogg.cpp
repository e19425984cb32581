// libFuzzer target: the Ogg Vorbis reader over arbitrary bytes.
#include <cstdlib>

#include "tags/MemorySource.h"
#include "tags/TOggVorbis.h"

using vemla::tags::MemorySource;
using vemla::tags::TOggVorbis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  TOggVorbis ogg;
  if (!ogg.LoadFrom(source)) return 0;
  if (ogg.Duration() < 0 || ogg.BitRate() < 0) std::abort();
  return 0;
}
