// The channel summary: one pass over a log that keeps a small record per
// channel and prints a three-line report for each channel that occurred.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "sonarlog/frame_header.h"

namespace logtrim {

struct channel_stats {
  std::uint16_t channel = 0;
  /// frame_index of the channel's most recent frame, whatever its order.
  std::uint32_t last_frame_index = 0;
  /// Frames without a real depth: not a finite number above zero.
  std::int32_t zero_depth_count = 0;
  /// Depth range in feet over real depths only; valid when has_depth.
  bool has_depth = false;
  float min_depth = 0;
  float max_depth = 0;
  /// Speed range over finite speeds only; valid when has_speed.
  bool has_speed = false;
  float min_speed = 0;
  float max_speed = 0;
};

/// One slot per channel 0 to 5, filled on the channel's first frame and
/// emptied once the channel is reported.
using channel_stats_table = std::array<std::optional<channel_stats>, CHANNEL_COUNT>;

/// Walks every frame from the current position of `in` (just after the file
/// header) to the end, printing "\nsize error!" for each frame of more than
/// MAX_PACKET_SIZE data bytes, then reports channels 0 to 5 in order. A
/// frame whose data the end of the file cuts off is still counted. On a
/// read error it prints "Read error!" instead of the report and returns 0;
/// otherwise 1.
[[nodiscard]] int scan_log(std::FILE* in);

/// Folds one frame into its channel's record; frames above channel 5 are
/// ignored.
void update_channel_stats(const frame_fields& header);

/// Prints the report of the record in `slot`, if any, and empties the slot.
void print_channel_stats(std::optional<channel_stats>& slot);

/// A reading of the water's depth that is one: finite and above zero. The
/// others (0, negative, NaN, infinite) are counted as soundings without
/// depth and never widen a range.
[[nodiscard]] bool is_real_depth(float depth);

/// Feet to metres, computed in double and rounded back to single precision.
[[nodiscard]] float feet_to_meters(float feet);

}  // namespace logtrim
