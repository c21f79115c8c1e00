#include "cli/args.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "cli/time_span.h"
#include "sonarlog/run_options.h"

namespace logtrim {

namespace {

constexpr int CONTINUE = -1;

bool is_blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

char lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Reads one decimal number as the "%d" conversion does (leading white space,
// an optional sign, at least one digit) and advances `p` past it. A number
// outside the signed 32-bit range is refused rather than wrapped.
bool read_int32(const char*& p, std::int32_t& value) {
  while (is_blank(*p)) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  std::int64_t magnitude = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > std::int64_t{INT32_MAX} + 1) return false;
  }
  std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > INT32_MAX) return false;
  value = static_cast<std::int32_t>(signed_value);
  return true;
}

// "START:END": the colon follows the first number directly, white space may
// precede each number, anything after the second number is ignored. The
// start must lie below the end, both compared unsigned, so that -1 as the
// end means "to the last frame".
bool parse_cut_range(const char* text) {
  std::int32_t start = 0;
  std::int32_t end = 0;
  const char* p = text;
  if (!read_int32(p, start) || *p++ != ':' || !read_int32(p, end)) return false;
  std::uint32_t cut_start = static_cast<std::uint32_t>(start);
  std::uint32_t cut_end = static_cast<std::uint32_t>(end);
  if (cut_start >= cut_end) return false;
  run_options.cut_start = cut_start;
  run_options.cut_end = cut_end;
  run_options.cut_by_time = false;
  return true;
}

// "FROM-TO": a span of time since the log's first frame, which replaces an
// earlier range of frame indices.
bool parse_time_range(const char* text) {
  time_span span;
  if (!parse_time_span(text, span)) return false;
  run_options.time_from = span.from;
  run_options.time_to = span.to;
  run_options.time_to_end = span.to_end;
  run_options.cut_by_time = true;
  return true;
}

// The first word of `text` must be made of the letters P, D and S in any
// case; each sets its channel group's delete flag.
bool parse_delete_letters(const char* text) {
  const char* p = text;
  while (is_blank(*p)) ++p;
  if (*p == '\0') return false;
  for (; *p != '\0' && !is_blank(*p); ++p) {
    switch (lower(*p)) {
      case 'p':
        run_options.delete_traditional = true;
        break;
      case 'd':
        run_options.delete_downscan = true;
        break;
      case 's':
        run_options.delete_sidescan = true;
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

int parse_args(int argc, const char* const* argv, const char** log_path) {
  if (argc <= 1) {
    std::puts(USAGE_LINE);
    return 0;
  }
  // A lone argument is the log's path, whatever it looks like.
  if (argc == 2) {
    run_options.info_only = true;
    *log_path = argv[1];
    return CONTINUE;
  }
  run_options.info_only = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] != '-') {
      *log_path = arg;
      return CONTINUE;
    }
    // Only the second character names the option: -d, -D and -delete are
    // one option, and a value glued to it is not read.
    char option = lower(arg[1]);
    bool has_value = i + 1 < argc;
    if (option == 'd') {
      if (!has_value || !parse_delete_letters(argv[++i])) {
        std::puts("Wrong delete channel argument");
        return 1;
      }
    } else if (option == 'c' && has_value) {
      if (!parse_cut_range(argv[++i])) {
        std::puts("Wrong cut argument");
        return 1;
      }
    } else if (option == 't') {
      if (!has_value || !parse_time_range(argv[++i])) {
        std::puts("Wrong time argument");
        return 1;
      }
    }
  }
  std::puts(USAGE_LINE);
  return 0;
}

}  // namespace logtrim
