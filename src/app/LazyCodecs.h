#pragma once
// The decoding libraries (libavformat, libavcodec, libswresample) are opened on first use
// rather than when the program starts; see LazyCodecs.cpp.

namespace vemla::app {

// Opens them now (a no-op once done); safe from any thread, and a call made meanwhile from
// another thread waits for this one. False when one of them could not be opened.
bool LoadCodecLibraries();

}  // namespace vemla::app
