#include "tags/TagText.h"

#include <cstdint>

namespace vemla::tags::text {

namespace {

// Length of the well-formed UTF-8 sequence at s[i], or 0 when it is malformed or truncated
// (overlong forms, surrogates and values above U+10FFFF count as malformed).
size_t SequenceLength(std::string_view s, size_t i, uint32_t* code) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char lead = b(i);
  if (lead < 0x80) {
    *code = lead;
    return 1;
  }
  size_t len;
  uint32_t c;
  uint32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2, c = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3, c = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4, c = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    unsigned char cont = b(i + k);
    if ((cont & 0xC0) != 0x80) return 0;
    c = (c << 6) | (cont & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *code = c;
  return len;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsControlOrSpace(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size() + latin1.size() / 4);
  for (char ch : latin1) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const size_t units = bytes.size() / 2;
  bool bigEndian = true;
  auto unit = [&](size_t u) -> uint32_t {
    return bigEndian ? (b(2 * u) << 8) | b(2 * u + 1) : (b(2 * u + 1) << 8) | b(2 * u);
  };
  std::string out;
  out.reserve(bytes.size());
  bool stringStart = true;
  for (size_t u = 0; u < units; ++u) {
    if (stringStart) {
      stringStart = false;
      if (b(2 * u) == 0xFE && b(2 * u + 1) == 0xFF) {
        bigEndian = true;
        continue;
      }
      if (b(2 * u) == 0xFF && b(2 * u + 1) == 0xFE) {
        bigEndian = false;
        continue;
      }
    }
    uint32_t c = unit(u);
    if (c == 0) {
      out += '\0';
      stringStart = true;
    } else if (c >= 0xD800 && c <= 0xDBFF) {
      if (u + 1 == units) break;  // its pair was cut off
      uint32_t low = unit(u + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++u;
      } else {
        out += '?';
      }
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      out += '?';
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    uint32_t code = 0;
    size_t len = SequenceLength(utf8, i, &code);
    if (len == 0) {
      out += '?';
      ++i;
      continue;
    }
    out += code <= 0xFF ? static_cast<char>(code) : '?';
    i += len;
  }
  return out;
}

std::string DecodeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    size_t len = 1;
    if (lead >= 0x80) len = (lead & 0xF8) == 0xF0 ? 4 : (lead & 0x20) ? 3 : 2;
    if (bytes.size() - i < len) break;
    for (size_t k = 1; k < len; ++k) {
      auto cont = static_cast<unsigned char>(bytes[i + k]);
      if (cont < 0x80 || cont > 0xBF) return out;
    }
    uint32_t code = 0;
    if (SequenceLength(bytes, i, &code) == len) {
      out.append(bytes.substr(i, len));
    } else {
      out += '?';
    }
    i += len;
  }
  return out;
}

std::string TrimRight(std::string_view s) {
  size_t end = s.size();
  while (end > 0 && IsControlOrSpace(s[end - 1])) --end;
  return std::string(s.substr(0, end));
}

std::string Trim(std::string_view s) {
  size_t start = 0;
  while (start < s.size() && IsControlOrSpace(s[start])) ++start;
  return TrimRight(s.substr(start));
}

std::string CutChars(std::string_view utf8, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    // A character starts at every byte that is not a continuation byte.
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
      if (chars == maxChars) return std::string(utf8.substr(0, i));
      ++chars;
    }
  }
  return std::string(utf8);
}

unsigned char TrackNumber(std::string_view s) {
  std::string t = Trim(s);
  std::string_view v(t);
  size_t slash = v.find('/');
  if (slash != std::string_view::npos) v = v.substr(0, slash);
  bool negative = false;
  if (!v.empty() && (v[0] == '+' || v[0] == '-')) {
    negative = v[0] == '-';
    v.remove_prefix(1);
  }
  if (v.empty()) return 0;
  int64_t value = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return 0;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return 0;
  return static_cast<unsigned char>(static_cast<uint64_t>(value) & 0xFF);
}

}  // namespace vemla::tags::text
