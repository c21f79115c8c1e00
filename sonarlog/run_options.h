// The options of one run, filled by the argument parser and read by the
// passes. There is exactly one instance, `run_options`.
#pragma once

#include <cstdint>

namespace logtrim {

struct run_options_record {
  /// Letter P: drop channels 0 and 1 from the copy.
  bool delete_traditional = false;
  /// Letter D: drop channel 2 from the copy.
  bool delete_downscan = false;
  /// Letter S: drop channels 3, 4 and 5 from the copy.
  bool delete_sidescan = false;
  /// Inclusive range of frame indices to copy, compared unsigned. Both 0 by
  /// default, so a copy run without a range keeps only frames of index 0.
  std::uint32_t cut_start = 0;
  std::uint32_t cut_end = 0;
  /// Set by -t: the copy keeps a span of time instead of a range of frame
  /// indices. A later -c clears it, a later -t sets it again.
  bool cut_by_time = false;
  /// Inclusive span of -t, in milliseconds since the log's first frame.
  std::uint32_t time_from = 0;
  std::uint32_t time_to = 0;
  /// -t without TO: time_to is then the largest time, 4294967295 ms.
  bool time_to_end = false;
  /// Set when the command line holds only the log's path: no copy is made.
  bool info_only = false;
};

extern run_options_record run_options;

}  // namespace logtrim
