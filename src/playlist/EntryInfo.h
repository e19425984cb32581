#pragma once
// Reading an entry's stream figures and tags, and the FormatKind table that picks the opener of
// the audio layer from a file's extension.
//
//  kind  extension  opener            tags
//   0    other      none (unplayable)
//   1    WAV        StreamCreateFile
//   2    OGG        StreamCreateFile  Ogg Vorbis comments
//   3-5  MPG MP2 MP3 StreamCreateFile ID3v2
//   6    CDA        CD_StreamCreateFile
//   7    WMA  8 AAC  9 MP4 (AAC opener)  10 AC3  11 ALAC  12 APE  13 MPC  14 OFR  15 SPX
//   16   TTA  17 WV  18 FLAC            (each with its own opener)
#include <cstdint>
#include <string>
#include <string_view>

#include "audio/AudioLib.h"
#include "playlist/Tcancion.h"

namespace vemla::playlist {

constexpr uint8_t kKindCda = 6;

// Text after the last "." of `path` (the whole path without a "."), ASCII upper-cased.
std::string UpperExtension(std::string_view path);

// 0…18 from an upper-cased extension; exact comparison.
uint8_t FormatKindOf(std::string_view upperExtension);

// Default artist text: the path without its extension (cut at the last "." when it stands after
// the first character) and then without its folders (cut after the last "/"), as UTF-8.
// "/music/tune.ogg" and "/tune.ogg" give "tune"; "/a.b/tune" gives "a".
std::string FileBaseName(std::string_view path);

// A pipe, device or socket: reading one as audio could block forever, so it is never opened.
bool IsSpecialFile(const std::string& path);

// Opens `path` with the opener of `kind`; 0 when the kind has none or the layer refuses.
audio::Handle OpenByKind(audio::AudioLib& audio, uint8_t kind, const std::string& path);

// Fills the stream figures and tag fields of `entry` from the file: 0 on success, -1 for an
// unknown extension or a file the audio layer cannot open (the entry is then left untouched).
int ReadEntryInfo(audio::AudioLib& audio, const std::string& path, Tcancion& entry);

// Fills the CD figures of `entry` from drive/track (counted from 0): 0 or -1 as above.
int ReadCdTrackInfo(audio::AudioLib& audio, int drive, int track, Tcancion& entry,
                    const std::string& name);

// Whole seconds from a library length, rounded to nearest, ties to even.
int32_t RoundSeconds(double seconds);

}  // namespace vemla::playlist
