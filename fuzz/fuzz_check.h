// The fuzz targets' invariant check: a broken invariant names its line and
// aborts, so that libFuzzer keeps the input that broke it.
#ifndef DELAYSUB_FUZZ_FUZZ_CHECK_H
#define DELAYSUB_FUZZ_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

namespace delaysub::fuzz {

[[noreturn]] inline void fail(const char* target, const char* what, int line) {
  std::fprintf(stderr, "%s: invariant broken at line %d: %s\n", target, line, what);
  std::abort();
}

}  // namespace delaysub::fuzz

#define CHECK(cond)                                         \
  do {                                                      \
    if (!(cond)) {                                          \
      ::delaysub::fuzz::fail(kFuzzTarget, #cond, __LINE__); \
    }                                                       \
  } while (false)

#endif  // DELAYSUB_FUZZ_FUZZ_CHECK_H
