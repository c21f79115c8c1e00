// Checks that a copy holds what a copy of its log must hold, walking both
// files side by side with 64-bit positions, so that logs of any size are
// checked without holding either whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace logtrim {

/// Which frames of the log the copy keeps: every one, or with `by_time`
/// those whose time since the log's first frame, modulo 2^32, lies in
/// [from_ms, to_ms].
struct copy_selection {
  bool by_time = false;
  std::uint32_t from_ms = 0;
  std::uint32_t to_ms = 0;
};

/// What a check went through.
struct copy_report {
  std::uint64_t log_frames = 0;
  std::uint64_t copied_frames = 0;
  std::uint64_t frames_past_4_gib = 0;  ///< copied frames that start past 4 GiB
  std::uint64_t copy_bytes = 0;
};

/// Both streams stand at their starts. The copy must hold the log's file
/// header and the selected frames in order, with the same data and the
/// same header bytes but for the fields that describe the copy: positions
/// (as their low 32 bits), previous_block_size, and in a time cut the frame
/// index, which counts from 0 for each channel number. The log must end with
/// a whole frame. Returns "" when all holds, else the first fault found.
[[nodiscard]] std::string check_copy(std::FILE* log, std::FILE* copy,
                                     const copy_selection& selection, copy_report& report);

}  // namespace logtrim
