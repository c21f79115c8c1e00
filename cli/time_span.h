// The value of -t: a span of time since the log's first frame, FROM-TO.
#pragma once

#include <cstdint>

namespace logtrim {

/// An inclusive span of milliseconds since the log's first frame.
struct time_span {
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  /// TO was left out: `to` is then the largest time, 4294967295 ms.
  bool to_end = false;
};

/// Reads "FROM-TO" or "FROM-", the whole of `text` and nothing else. Each
/// time is whole seconds (S), M:SS or H:MM:SS, where a field after a colon
/// has exactly two digits from 00 to 59, and may end with "." and one to
/// three digits. False when the text does not have that form, a time is
/// above 4294967295 ms, or FROM is not below a given TO.
[[nodiscard]] bool parse_time_span(const char* text, time_span& span);

}  // namespace logtrim
