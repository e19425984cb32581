#pragma once
// What the program's forwarders into libraries it does not link have in common (LazyCodecs.cpp,
// LazySdl.cpp): each file opens its libraries once, in a function `resolve(lib, name)` of its
// own, and defines every entry point it uses with the macros below. The header's declaration of
// `name` checks each parameter list written with them.
#include <dlfcn.h>

#include <cstdio>

namespace vemla::app {

// dlopen with every symbol bound now; a library that cannot be opened is said on stderr and
// gives null, so its entry points fail the way the library itself reports failure.
inline void* OpenLibraryNow(const char* soname) {
  void* h = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!h) std::fprintf(stderr, "VemlaPlayer: %s\n", ::dlerror());
  return h;
}

inline void* SymbolIn(void* library, const char* name) {
  void* fn = library ? ::dlsym(library, name) : nullptr;
  if (library && !fn) std::fprintf(stderr, "VemlaPlayer: %s\n", ::dlerror());
  return fn;
}

}  // namespace vemla::app

#define VEMLA_FORWARD(lib, ret, name, params, args, failed)                          \
  extern "C" ret name params {                                                       \
    static const auto fn = reinterpret_cast<decltype(&::name)>(resolve(lib, #name)); \
    if (!fn) return failed;                                                          \
    return fn args;                                                                  \
  }
#define VEMLA_FORWARD_VOID(lib, name, params, args)                                  \
  extern "C" void name params {                                                      \
    static const auto fn = reinterpret_cast<decltype(&::name)>(resolve(lib, #name)); \
    if (fn) fn args;                                                                 \
  }
