#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run when an invariant does not hold. libFuzzer then keeps the input that broke it
// as a crash artifact, and a replay of that file shows the same message.
#define ZELVO_FUZZ_CHECK(condition)                                                          \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)
