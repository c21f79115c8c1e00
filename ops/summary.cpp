#include "ops/summary.h"

#include <cmath>
#include <cstdint>

#include "sonarlog/channels.h"
#include "sonarlog/frame_walk.h"

namespace logtrim {

// State of the one scan of a run.
static channel_stats_table stats_table;

bool is_real_depth(float depth) { return std::isfinite(depth) && depth > 0; }

void update_channel_stats(const frame_fields& h) {
  if (h.channel >= CHANNEL_COUNT) return;
  std::optional<channel_stats>& slot = stats_table[h.channel];
  if (!slot) slot = channel_stats{.channel = h.channel};
  channel_stats& s = *slot;

  // A missing or broken reading must neither seed nor widen a range, or a
  // single zero or NaN at the start spoils the whole report.
  if (!is_real_depth(h.water_depth)) {
    // Saturates rather than overflows on a log of more than 2^31 frames.
    if (s.zero_depth_count < INT32_MAX) ++s.zero_depth_count;
  } else if (!s.has_depth) {
    s.has_depth = true;
    s.min_depth = s.max_depth = h.water_depth;
  } else {
    if (h.water_depth > s.max_depth) s.max_depth = h.water_depth;
    if (s.min_depth > h.water_depth) s.min_depth = h.water_depth;
  }

  // Speed has no zero filter: a standing boat reports 0.
  if (std::isfinite(h.speed)) {
    if (!s.has_speed) {
      s.has_speed = true;
      s.min_speed = s.max_speed = h.speed;
    } else {
      if (h.speed > s.max_speed) s.max_speed = h.speed;
      if (s.min_speed > h.speed) s.min_speed = h.speed;
    }
  }

  s.last_frame_index = h.frame_index;
}

float feet_to_meters(float feet) {
  return static_cast<float>(static_cast<double>(feet) / 3.2808399);
}

void print_channel_stats(std::optional<channel_stats>& slot) {
  if (!slot) return;
  const channel_stats& s = *slot;
  // In 64 bits, so that an index of 4294967295 reports 4294967296 sounds.
  unsigned long long sounds = static_cast<unsigned long long>(s.last_frame_index) + 1;
  std::printf("=== %s: %llu sounds", channel_name(s.channel), sounds);
  if (is_channel_deleted(s.channel)) std::printf(" - be deleted");
  std::printf("\n");
  std::printf("Depth: from %5.1f m to %5.1f m; 0 depth count = %d\n",
              static_cast<double>(feet_to_meters(s.min_depth)),
              static_cast<double>(feet_to_meters(s.max_depth)),
              static_cast<int>(s.zero_depth_count));
  std::printf("Speed: from %5.1f to %5.1f\n", static_cast<double>(s.min_speed),
              static_cast<double>(s.max_speed));
  slot.reset();
}

// The summary needs the headers only: it walks the frames where they lie in
// the walk's buffer and never copies their data.
int scan_log(std::FILE* in) {
  frame_walk w;
  start_walk(w, in, FILE_HEADER_SIZE);
  walk_step step;
  while ((step = next_frame(w)) == walk_step::frame || step == walk_step::cut_off) {
    update_channel_stats(w.header);
    if (w.header.packet_size > MAX_PACKET_SIZE) std::printf("\nsize error!\n");
    // Data cut short by the end of the file: the frame is counted and the
    // walk ends.
    if (step == walk_step::cut_off) break;
  }
  if (step == walk_step::read_error) {
    // A report of part of the log would pass for the whole log's.
    for (std::optional<channel_stats>& slot : stats_table) slot.reset();
    print_read_error();
    return 0;
  }
  for (std::optional<channel_stats>& slot : stats_table) print_channel_stats(slot);
  return 1;
}

}  // namespace logtrim
