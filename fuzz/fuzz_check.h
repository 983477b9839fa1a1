// What the fuzz targets share: the invariant check (a broken invariant names
// its file and line and aborts, so that libFuzzer keeps the input that broke
// it) and the test for a hexadecimal text.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace delaysub::fuzz {

// The default arguments take the file and line of the call.
inline void check(bool holds, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  if (!holds) {
    std::fprintf(stderr, "%s:%d: invariant broken\n", file, line);
    std::abort();
  }
}

// A non-empty text of the digits 0-9 and the capitals A-F only.
inline bool isUpperHex(std::string_view s) {
  if (s.empty()) {
    return false;
  }
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
      return false;
    }
  }
  return true;
}

}  // namespace delaysub::fuzz
