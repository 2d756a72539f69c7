#pragma once
// Invariant checks for the fuzz targets: a violated property is a finding,
// reported like a crash so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond, what)                                                        \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, what); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)
