// What both fuzz targets share: the invariant check (a broken invariant names
// its line and aborts, so that libFuzzer keeps the input that broke it) and
// the test for a hexadecimal text.
#ifndef DELAYSUB_FUZZ_FUZZ_CHECK_H
#define DELAYSUB_FUZZ_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace delaysub::fuzz {

[[noreturn]] inline void fail(const char* target, const char* what, int line) {
  std::fprintf(stderr, "%s: invariant broken at line %d: %s\n", target, line, what);
  std::abort();
}

// A non-empty text of the digits 0-9 and the capitals A-F only.
inline bool isUpperHex(std::string_view s) {
  if (s.empty())
    return false;
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
      return false;
  }
  return true;
}

}  // namespace delaysub::fuzz

#define CHECK(cond)                                         \
  do {                                                      \
    if (!(cond)) {                                          \
      ::delaysub::fuzz::fail(kFuzzTarget, #cond, __LINE__); \
    }                                                       \
  } while (false)

#endif  // DELAYSUB_FUZZ_FUZZ_CHECK_H
