#include "core/Ini.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace vemla::core {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// "[name]" with optional blanks around; the name itself is trimmed.
std::optional<std::string> headerName(std::string_view line) {
  std::string_view t = trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(trim(t.substr(1, close - 1)));
}

}  // namespace

Ini Ini::parse(std::string_view bytes) {
  Ini ini;
  ini.sections_.push_back(Section{});
  size_t crlf = bytes.find("\r\n");
  size_t lf = bytes.find('\n');
  const bool cutShort = !bytes.empty() && bytes.back() == '\r';  // a CR LF file cut before its LF
  if ((lf != std::string_view::npos && crlf != std::string_view::npos && crlf + 1 == lf) ||
      (lf == std::string_view::npos && cutShort)) {
    ini.eol_ = "\r\n";
  }
  // Only a CR LF file's lines end in CR LF: in any other, a CR is part of its line and stays.
  const bool crlfFile = ini.eol_ == "\r\n";
  if (bytes.empty() || bytes.back() == '\n') {
    ini.tail_ = ini.eol_;
  } else {
    // Kept as it was, or every rewrite would drop a CR.
    ini.tail_ = crlfFile && cutShort ? "\r" : "";
  }

  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(pos, end - pos);
    if (crlfFile && !raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    pos = end + 1;

    if (auto name = headerName(raw)) {
      Section s;
      s.name = *name;
      s.hasHeader = true;
      s.header = std::string(raw);
      ini.sections_.push_back(std::move(s));
      continue;
    }
    Line line;
    line.text = std::string(raw);
    std::string_view t = trim(raw);
    size_t eq = t.find('=');
    if (eq != std::string_view::npos && !t.empty() && t.front() != ';' && t.front() != '#') {
      line.key = std::string(trim(t.substr(0, eq)));
      line.value = std::string(trim(t.substr(eq + 1)));
    }
    ini.sections_.back().lines.push_back(std::move(line));
  }
  return ini;
}

std::string Ini::serialize() const {
  std::string out;
  bool first = true;
  auto put = [&](const std::string& text) {
    if (!first) out += eol_;
    out += text;
    first = false;
  };
  for (const Section& s : sections_) {
    if (s.hasHeader) put(s.header);
    for (const Line& l : s.lines) put(l.text);
  }
  if (!first) out += tail_;
  return out;
}

Ini::Section* Ini::findSection(std::string_view name) {
  for (Section& s : sections_) {
    if (s.hasHeader && sameName(s.name, name)) return &s;
  }
  return nullptr;
}

const Ini::Section* Ini::findSection(std::string_view name) const {
  return const_cast<Ini*>(this)->findSection(name);
}

std::optional<std::string> Ini::value(std::string_view section, std::string_view key) const {
  const Section* s = findSection(section);
  if (!s) return std::nullopt;
  for (const Line& l : s->lines) {
    if (!l.key.empty() && sameName(l.key, key)) return l.value;
  }
  return std::nullopt;
}

std::string Ini::readString(std::string_view section, std::string_view key,
                            std::string_view fallback) const {
  auto v = value(section, key);
  return v ? *v : std::string(fallback);
}

void Ini::setValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string text = std::string(key) + "=" + std::string(value);
  Section* s = findSection(section);
  if (!s) {
    // A new section is set off from what precedes it by a blank line, as editors do.
    bool anything = false;
    for (const Section& other : sections_)
      anything = anything || other.hasHeader || !other.lines.empty();
    if (anything && !sections_.back().lines.empty() &&
        !trim(sections_.back().lines.back().text).empty()) {
      sections_.back().lines.push_back(Line{});
    }
    Section fresh;
    fresh.name = std::string(section);
    fresh.hasHeader = true;
    fresh.header = "[" + fresh.name + "]";
    sections_.push_back(std::move(fresh));
    s = &sections_.back();
    tail_ = eol_;
  }
  size_t lastKey = 0;
  bool anyKey = false;
  for (size_t i = 0; i < s->lines.size(); ++i) {
    Line& l = s->lines[i];
    if (l.key.empty()) continue;
    if (sameName(l.key, key)) {
      // Keep the spelling of the name already in the file.
      l.text = l.key + "=" + std::string(value);
      l.value = std::string(trim(value));
      return;
    }
    lastKey = i;
    anyKey = true;
  }
  Line line{text, std::string(key), std::string(trim(value))};
  size_t at = anyKey ? lastKey + 1 : 0;
  s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

bool Ini::loadFile(const std::string& path, Ini& out) {
  out = Ini{};
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string bytes;
  char buf[8192];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;  // a folder, an I/O error: treated as no file
    if (n <= 0) break;
    bytes.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (ok) out = parse(bytes);
  return ok;
}

bool Ini::saveFile(const std::string& path) const { return writeFileAtomically(path, serialize()); }

bool writeFileAtomically(const std::string& linkOrPath, std::string_view bytes) {
  // Through a symbolic link the file it names is replaced; the link stays a link.
  std::string path = linkOrPath;
  if (char* real = ::realpath(linkOrPath.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }
  static std::atomic<unsigned> counter{0};
  std::string tmp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  // Held while the file is written, so the start-up clean-up of killed saves leaves it alone.
  ::flock(fd, LOCK_EX);
  bool ok = true;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

}  // namespace vemla::core
