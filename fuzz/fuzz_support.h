// What both fuzz targets share: an aborting check, so that a broken
// invariant is a finding, and a capture of what the passes print.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace logtrim::fuzz {

/// Aborts with the failed condition, which libFuzzer reports as a crash
/// and saves the input for.
#define FUZZ_CHECK(cond)                                                    \
  do {                                                                      \
    if (!(cond)) {                                                          \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #cond);                                                  \
      std::abort();                                                         \
    }                                                                       \
  } while (0)

/// Points standard output at a temporary file once, so that what the code
/// under test prints is neither lost on the terminal nor unchecked.
void capture_stdout();

/// Empties the captured output before the next call under test.
void clear_captured_stdout();

/// Everything printed since the last clear.
[[nodiscard]] std::string captured_stdout();

}  // namespace logtrim::fuzz
