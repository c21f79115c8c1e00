#include "cli/time_span.h"

namespace logtrim {

namespace {

constexpr std::uint64_t LARGEST_TIME = 0xFFFFFFFF;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads one or more digits. A number past LARGEST_TIME is held at
// LARGEST_TIME + 1, which no later step can bring back into range.
bool read_digits(const char*& p, std::uint64_t& value) {
  if (!is_digit(*p)) return false;
  value = 0;
  for (; is_digit(*p); ++p)
    if (value <= LARGEST_TIME) value = value * 10 + static_cast<std::uint64_t>(*p - '0');
  if (value > LARGEST_TIME) value = LARGEST_TIME + 1;
  return true;
}

// Reads a field after a colon: exactly two digits, 00 to 59.
bool read_sixty(const char*& p, std::uint64_t& value) {
  if (!is_digit(p[0]) || !is_digit(p[1]) || p[0] > '5') return false;
  value = static_cast<std::uint64_t>((p[0] - '0') * 10 + (p[1] - '0'));
  p += 2;
  return true;
}

// Reads S, M:SS or H:MM:SS with an optional fraction, in milliseconds.
bool read_time(const char*& p, std::uint64_t& ms) {
  std::uint64_t seconds = 0;
  if (!read_digits(p, seconds)) return false;
  for (int fields = 1; *p == ':'; ++fields) {
    std::uint64_t next = 0;
    if (fields == 3 || !read_sixty(++p, next)) return false;
    seconds = seconds * 60 + next;
  }
  std::uint64_t fraction = 0;
  if (*p == '.') {
    ++p;
    std::uint64_t scale = 100;
    int digits = 0;
    for (; is_digit(*p); ++p, ++digits, scale /= 10) {
      if (digits == 3) return false;
      fraction += static_cast<std::uint64_t>(*p - '0') * scale;
    }
    if (digits == 0) return false;
  }
  // Held numbers stay above the limit through the arithmetic: hours of at
  // most LARGEST_TIME + 1 times 3600000 fit in 64 bits.
  ms = seconds * 1000 + fraction;
  return ms <= LARGEST_TIME;
}

}  // namespace

bool parse_time_span(const char* text, time_span& span) {
  const char* p = text;
  std::uint64_t from = 0;
  if (!read_time(p, from) || *p++ != '-') return false;
  std::uint64_t to = LARGEST_TIME;
  bool to_end = *p == '\0';
  if (!to_end && (!read_time(p, to) || *p != '\0' || from >= to)) return false;
  span = {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to), to_end};
  return true;
}

}  // namespace logtrim
