// libFuzzer target: the INI reader over arbitrary bytes, then write/read round trips.
// Input: the document, then after a 0 byte "section\1key\1value\0..." settings to store in it.
// Whatever was read reads the same after a rewrite, a rewrite of a rewrite changes nothing, and
// each stored value reads back (trimmed) after the document is written and read again.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/Ini.h"

using vemla::core::Ini;

namespace {

struct Setting {
  std::string section, key, value;
};

// Names as the settings use them: letters, digits and "_".
bool IsName(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string Trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (blank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return std::string(s);
}

std::vector<Setting> ParseSettings(std::string_view rest) {
  std::vector<Setting> out;
  while (!rest.empty()) {
    size_t end = rest.find('\0');
    std::string_view one = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    size_t a = one.find('\1');
    if (a == std::string_view::npos) continue;
    size_t b = one.find('\1', a + 1);
    if (b == std::string_view::npos) continue;
    Setting s{std::string(one.substr(0, a)), std::string(one.substr(a + 1, b - a - 1)),
              std::string(one.substr(b + 1))};
    if (!IsName(s.section) || !IsName(s.key)) continue;
    if (s.value.find_first_of("\r\n") != std::string::npos) continue;
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  size_t zero = all.find('\0');
  std::string_view doc = all.substr(0, zero);
  std::vector<Setting> settings =
      ParseSettings(zero == std::string_view::npos ? std::string_view() : all.substr(zero + 1));
  if (settings.size() > 64) return 0;

  Ini ini = Ini::parse(doc);
  const std::string once = ini.serialize();
  Ini again = Ini::parse(once);
  if (again.serialize() != once) std::abort();
  // Every name looked up reads the same before and after the rewrite.
  for (const Setting& s : settings) {
    if (ini.value(s.section, s.key) != again.value(s.section, s.key)) std::abort();
  }

  for (const Setting& s : settings) again.setValue(s.section, s.key, s.value);
  Ini stored = Ini::parse(again.serialize());
  if (stored.serialize() != again.serialize()) std::abort();
  for (size_t i = 0; i < settings.size(); ++i) {
    const Setting& s = settings[i];
    bool overwritten = false;
    for (size_t j = i + 1; j < settings.size(); ++j) {
      overwritten = overwritten ||
                    (SameName(settings[j].section, s.section) && SameName(settings[j].key, s.key));
    }
    if (overwritten) continue;
    auto v = stored.value(s.section, s.key);
    if (!v || *v != Trimmed(s.value)) std::abort();
  }
  return 0;
}
