#include "fuzz_support.h"

#include <unistd.h>

namespace logtrim::fuzz {

namespace {
std::FILE* capture_file = nullptr;
}

void capture_stdout() {
  capture_file = std::tmpfile();
  FUZZ_CHECK(capture_file != nullptr);
  std::fflush(stdout);
  FUZZ_CHECK(dup2(fileno(capture_file), STDOUT_FILENO) == STDOUT_FILENO);
}

void clear_captured_stdout() {
  std::fflush(stdout);
  std::clearerr(stdout);
  FUZZ_CHECK(ftruncate(STDOUT_FILENO, 0) == 0);
  FUZZ_CHECK(lseek(STDOUT_FILENO, 0, SEEK_SET) == 0);
}

std::string captured_stdout() {
  FUZZ_CHECK(std::fflush(stdout) == 0);
  std::string text;
  char buf[4096];
  off_t at = 0;
  ssize_t n;
  while ((n = pread(STDOUT_FILENO, buf, sizeof buf, at)) > 0) {
    text.append(buf, static_cast<std::size_t>(n));
    at += n;
  }
  return text;
}

}  // namespace logtrim::fuzz
