#pragma once
// A small INI document kept line by line, so a rewrite changes only the values it sets.
//
// Semantics the settings rely on:
// - Section and key names match without regard to ASCII letter case; the first match wins.
// - Values are trimmed of surrounding blanks (spaces, tabs) when read.
// - Unknown sections, keys, comments and blank lines survive a rewrite untouched.
// - A new key goes after the last key line of its section; a new section goes at the end.
// - The file keeps its line ending (CR LF or LF); a new file is written with LF.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemla::core {

class Ini {
 public:
  Ini() = default;

  // Never fails: lines that are neither section headers nor key=value are kept as they are.
  static Ini parse(std::string_view bytes);
  std::string serialize() const;

  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  std::string readString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  void setValue(std::string_view section, std::string_view key, std::string_view value);

  // Reads a whole file; false (and an empty document) when it cannot be read.
  static bool loadFile(const std::string& path, Ini& out);
  // Writes a temporary file beside `path` and renames it over `path`, so the old file stays
  // whole when anything fails. False on any error.
  bool saveFile(const std::string& path) const;

 private:
  struct Line {
    std::string text;   // the raw line without its ending
    std::string key;    // parsed key name (trimmed); empty when not a key line
    std::string value;  // parsed value (trimmed)
  };
  struct Section {
    std::string name;  // empty for the lines before the first header
    bool hasHeader = false;
    std::string header;  // raw header line
    std::vector<Line> lines;
  };

  Section* findSection(std::string_view name);
  const Section* findSection(std::string_view name) const;

  std::vector<Section> sections_;
  std::string eol_ = "\n";
  std::string tail_ = "\n";  // after the last line: eol_, nothing, or the CR of a cut-short CR LF
};

// Writes `bytes` to a temporary file in the folder of `path`, flushes it to disk and renames
// it over `path` (over the file it names, when `path` is a symbolic link). The temporary file is
// removed on failure. False on any error.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace vemla::core
