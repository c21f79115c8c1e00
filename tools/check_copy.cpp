// check_copy: checks that COPY is a copy of LOG as `logtrim -c 0:-1` writes
// it, or with -t as `logtrim -t` writes a span of FROM_MS to TO_MS
// milliseconds since the log's first frame.
//
//   check_copy [-t FROM_MS TO_MS] LOG COPY
//
// Every selected frame of LOG must be in COPY, in order, with the same data
// and the same header bytes except the fields that describe COPY itself:
// positions stored as their low 32 bits, previous_block_size and, in a time
// cut, the frame index. LOG must end with a whole frame, as generated logs
// do. Prints one line saying what was checked, or the first fault, and
// exits with 0 or 1. Made for logs larger than 4 GiB: nothing is held whole.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/copy_check.h"

namespace {

bool parse_ms(const char* text, std::uint32_t& ms) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0' || *text == '-' || value > 0xFFFFFFFFu) return false;
  ms = static_cast<std::uint32_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  logtrim::copy_selection selection;
  int first = 1;
  if (argc == 6 && std::strcmp(argv[1], "-t") == 0) {
    selection.by_time = parse_ms(argv[2], selection.from_ms) &&
                        parse_ms(argv[3], selection.to_ms);
    if (!selection.by_time) argc = 0;
    first = 4;
  }
  if (argc - first != 2) {
    std::puts("Usage: check_copy [-t FROM_MS TO_MS] LOG COPY");
    return 1;
  }
  std::FILE* log = std::fopen(argv[first], "rb");
  std::FILE* copy = std::fopen(argv[first + 1], "rb");
  if (!log || !copy) {
    std::printf("check_copy: can't open %s\n", log ? argv[first + 1] : argv[first]);
    return 1;
  }
  static char log_buffer[1 << 20];
  static char copy_buffer[1 << 20];
  std::setvbuf(log, log_buffer, _IOFBF, sizeof log_buffer);
  std::setvbuf(copy, copy_buffer, _IOFBF, sizeof copy_buffer);
  logtrim::copy_report report;
  std::string fault = logtrim::check_copy(log, copy, selection, report);
  std::fclose(log);
  std::fclose(copy);
  if (!fault.empty()) {
    std::printf("check_copy: %s\n", fault.c_str());
    return 1;
  }
  std::printf("check_copy: %" PRIu64 " of %" PRIu64 " frames, %" PRIu64
              " of them past 4 GiB, copy of %" PRIu64
              " bytes: data and copied header bytes identical, positions "
              "stored as their low 32 bits\n",
              report.copied_frames, report.log_frames, report.frames_past_4_gib,
              report.copy_bytes);
  return 0;
}
