#pragma once
// A compact, owned UTF-8 text for the fields of a playlist entry.
//
// A list holds up to 40,000 entries of fifteen texts each, most of them empty; std::string costs
// 32 bytes even when empty, this costs one pointer (8 bytes) and allocates only when non-empty.
// It converts implicitly to std::string, so `QString::fromStdString(entry.Title)` and
// `std::string s = entry.Title` read as usual.
//
// The bytes never change once made, so a copy shares them (a count of holders, atomic because a
// copy may be dropped on another thread): the list view's row and the entry's DisplayLine are one
// block, and a title written back unchanged is not copied again.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace vemla::playlist {

class Text {
 public:
  Text() = default;
  Text(std::string_view s) { assign(s); }    // NOLINT: implicit on purpose
  Text(const std::string& s) { assign(s); }  // NOLINT
  Text(const char* s) { assign(s ? std::string_view(s) : std::string_view()); }  // NOLINT
  Text(const Text& o) : p_(o.p_) { hold(); }
  Text(Text&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  Text& operator=(const Text& o) {
    if (p_ != o.p_) {
      release();
      p_ = o.p_;
      hold();
    }
    return *this;
  }
  Text& operator=(Text&& o) noexcept {
    if (this != &o) {
      release();
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  Text& operator=(std::string_view s) {
    assign(s);
    return *this;
  }
  Text& operator=(const std::string& s) {
    assign(s);
    return *this;
  }
  Text& operator=(const char* s) {
    assign(s ? std::string_view(s) : std::string_view());
    return *this;
  }
  ~Text() { release(); }

  bool empty() const { return p_ == nullptr; }
  size_t size() const {
    if (!p_) return 0;
    uint32_t n;
    std::memcpy(&n, p_ + kSizeAt, sizeof n);
    return n;
  }
  const char* c_str() const { return p_ ? p_ + kHead : ""; }
  std::string_view view() const { return {c_str(), size()}; }
  std::string str() const { return std::string(view()); }
  operator std::string() const { return str(); }  // NOLINT: implicit on purpose
  void clear() { release(); }

  friend bool operator==(const Text& a, const Text& b) { return a.view() == b.view(); }
  friend bool operator!=(const Text& a, const Text& b) { return !(a == b); }
  friend bool operator==(const Text& a, std::string_view b) { return a.view() == b; }
  friend bool operator!=(const Text& a, std::string_view b) { return a.view() != b; }
  friend bool operator==(const Text& a, const char* b) { return a.view() == std::string_view(b); }
  friend bool operator!=(const Text& a, const char* b) { return !(a == b); }
  friend bool operator==(const Text& a, const std::string& b) { return a.view() == b; }
  friend bool operator!=(const Text& a, const std::string& b) { return a.view() != b; }
  friend bool operator==(const std::string& a, const Text& b) { return b == a; }
  friend bool operator!=(const std::string& a, const Text& b) { return b != a; }
  friend std::string operator+(const Text& a, const Text& b) { return a + b.view(); }
  friend std::string operator+(const Text& a, const char* b) { return a + std::string_view(b); }
  friend std::string operator+(const char* a, const Text& b) { return std::string_view(a) + b; }
  friend std::string operator+(const Text& a, const std::string& b) {
    return a + std::string_view(b);
  }
  friend std::string operator+(const std::string& a, const Text& b) {
    return std::string_view(a) + b;
  }
  friend std::string operator+(const Text& a, std::string_view b) {
    std::string r(a.view());
    r.append(b);
    return r;
  }
  friend std::string operator+(std::string_view a, const Text& b) {
    std::string r(a);
    r.append(b.view());
    return r;
  }

 private:
  // Layout: 32-bit count of holders, 32-bit length, the bytes, a terminating NUL.
  static constexpr size_t kSizeAt = sizeof(uint32_t);
  static constexpr size_t kHead = 2 * sizeof(uint32_t);
  uint32_t* holders() const { return reinterpret_cast<uint32_t*>(p_); }
  void hold() {
    if (p_) __atomic_fetch_add(holders(), 1u, __ATOMIC_RELAXED);
  }
  void assign(std::string_view s) {
    char* q = nullptr;
    if (!s.empty()) {
      uint32_t n = static_cast<uint32_t>(s.size());
      q = static_cast<char*>(::operator new(kHead + s.size() + 1));
      uint32_t one = 1;
      std::memcpy(q, &one, sizeof one);
      std::memcpy(q + kSizeAt, &n, sizeof n);
      std::memcpy(q + kHead, s.data(), s.size());
      q[kHead + s.size()] = '\0';
    }
    release();
    p_ = q;
  }
  void release() {
    if (p_ && __atomic_sub_fetch(holders(), 1u, __ATOMIC_ACQ_REL) == 0) ::operator delete(p_);
    p_ = nullptr;
  }
  char* p_ = nullptr;
};

}  // namespace vemla::playlist
