#include "audio/MusepackHeader.h"

#include <fstream>

namespace vemla::audio {

namespace {
uint32_t le32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

// SV8 variable-length number: 7 bits a byte, high bit set on every byte but the last.
bool varint(const std::string& b, size_t& at, uint64_t& value) {
  value = 0;
  for (int i = 0; i < 9; ++i) {
    if (at >= b.size()) return false;
    uint8_t c = static_cast<uint8_t>(b[at++]);
    value = (value << 7) | (c & 0x7f);
    if (!(c & 0x80)) return true;
  }
  return false;
}

int64_t sv8(const std::string& b) {
  size_t at = 4;
  while (at + 2 < b.size()) {
    size_t packet = at;
    std::string key = b.substr(at, 2);
    at += 2;
    uint64_t size = 0;
    if (!varint(b, at, size) || size < at - packet) return 0;
    if (key == "SH") {
      size_t p = at + 4 + 1;  // CRC, version
      uint64_t samples = 0, silence = 0;
      if (!varint(b, p, samples) || !varint(b, p, silence)) return 0;
      if (silence > samples) return 0;
      return static_cast<int64_t>(samples - silence);
    }
    if (key == "AP" || key == "SE") return 0;  // audio before any stream header
    at = packet + size;
  }
  return 0;
}

int64_t sv7(const std::string& b) {
  if (b.size() < 32 || (static_cast<uint8_t>(b[3]) & 0x0f) != 7) return 0;
  uint32_t frames = le32(b, 4);
  if (frames == 0) return 0;
  uint32_t gapless = le32(b, 24);
  int64_t samples = static_cast<int64_t>(frames) * 1152;
  if (gapless >> 31) {
    uint32_t last = (gapless >> 20) & 0x7ff;
    samples -= 1152 - last;
  }
  return samples;
}
}  // namespace

int64_t MusepackHeader::sampleCount(const std::string& bytes) {
  if (bytes.compare(0, 4, "MPCK") == 0) return sv8(bytes);
  if (bytes.compare(0, 3, "MP+") == 0) return sv7(bytes);
  return 0;
}

int64_t MusepackHeader::sampleCountOfFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::string head(4096, '\0');
  f.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(f.gcount()));
  return sampleCount(head);
}

}  // namespace vemla::audio
