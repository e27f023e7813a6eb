// A check inside a fuzz harness: a failure is a finding, so it aborts at once
// (libFuzzer then saves the input; the corpus replay test dies with it).
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                       \
  do {                                                                                              \
    if (!(condition)) {                                                                             \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);      \
      std::abort();                                                                                 \
    }                                                                                               \
  } while (0)
