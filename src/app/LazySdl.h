#pragma once
// SDL is opened on first use rather than when the program starts; see LazySdl.cpp.

namespace vemla::app {

// Opens it now (a no-op once done); safe from any thread, and a call made meanwhile from another
// thread waits for this one. False when it could not be opened.
bool OpenSoundLibrary();

}  // namespace vemla::app
