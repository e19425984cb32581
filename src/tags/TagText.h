#pragma once
// Text helpers shared by the tag readers. Program texts are UTF-8; tag bytes of ID3v1 and
// ID3v2 text frames are ISO-8859-1.
#include <cstddef>
#include <string>
#include <string_view>

namespace vemla::tags::text {

// Each byte is one ISO-8859-1 character.
std::string Latin1ToUtf8(std::string_view latin1);

// UTF-16 text of one or more strings, each ended by U+0000 (kept as a zero byte). A byte order
// mark at the start of a string sets the order for it and the strings after it and is dropped;
// before any mark the order is big-endian. A final odd byte and a final unpaired high surrogate
// (the data was cut short) are dropped; other unpaired surrogates become "?".
std::string Utf16ToUtf8(std::string_view bytes);

// Characters outside ISO-8859-1 (and bytes that are not valid UTF-8) become "?".
std::string Utf8ToLatin1(std::string_view utf8);

// Decodes UTF-8 byte by byte. A byte of 0x80 or above leads a sequence of 4 bytes (0xF0..0xF7),
// else 3 (bit 0x20 set), else 2; decoding stops, dropping the rest, at a sequence that runs
// past the end or whose following bytes are not 0x80..0xBF. A sequence of that shape that is
// no character (overlong form, surrogate, stray lead byte) becomes "?".
std::string DecodeUtf8(std::string_view bytes);

// Removes trailing (and for Trim, leading) characters whose code is 0x20 or lower.
std::string TrimRight(std::string_view s);
std::string Trim(std::string_view s);

// The first `maxChars` characters of a UTF-8 text; never cuts inside a character.
std::string CutChars(std::string_view utf8, size_t maxChars);

// Track numbers: trims, takes the part before the first "/", reads a whole decimal number
// (optional sign) and keeps its low 8 bits. Anything else, or out of 32-bit range, gives 0.
unsigned char TrackNumber(std::string_view s);

}  // namespace vemla::tags::text
