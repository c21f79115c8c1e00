#include "ops/profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ops/summary.h"
#include "sonarlog/frame_walk.h"

namespace logtrim {

namespace {

constexpr float NONE = std::numeric_limits<float>::quiet_NaN();

// Widens [lo, hi] by `v`; a range of NaN is empty.
void widen(float& lo, float& hi, float v) {
  if (std::isnan(lo) || v < lo) lo = v;
  if (std::isnan(hi) || v > hi) hi = v;
}

// Folds bucket `b` into `into`, which holds the frames just before it.
void merge_into(profile_bucket& into, const profile_bucket& b) {
  into.last_frame_index = b.last_frame_index;
  into.frames += b.frames;
  into.missing_depth += b.missing_depth;
  if (!std::isnan(b.min_depth)) widen(into.min_depth, into.max_depth, b.min_depth);
  if (!std::isnan(b.max_depth)) widen(into.min_depth, into.max_depth, b.max_depth);
  if (!std::isnan(b.min_speed)) widen(into.min_speed, into.max_speed, b.min_speed);
  if (!std::isnan(b.max_speed)) widen(into.min_speed, into.max_speed, b.max_speed);
}

// Halves the buckets in use: each pair becomes one, twice as wide.
void merge_pairs(channel_profile& c) {
  int kept = 0;
  for (int i = 0; i < c.bucket_count; i += 2, ++kept) {
    c.buckets[kept] = c.buckets[i];
    if (i + 1 < c.bucket_count) merge_into(c.buckets[kept], c.buckets[i + 1]);
  }
  c.bucket_count = kept;
  c.bucket_width *= 2;
}

void add_frame(channel_profile& c, int max_buckets, const frame_fields& h) {
  // A new bucket starts when the last one is full; when there is no room
  // for it, the width doubles first, which leaves the last bucket half full.
  bool last_full = c.bucket_count == 0 ||
                   c.buckets[c.bucket_count - 1].frames >= c.bucket_width;
  if (last_full && c.bucket_count == max_buckets) {
    merge_pairs(c);
    last_full = c.buckets[c.bucket_count - 1].frames >= c.bucket_width;
  }
  if (last_full) {
    c.buckets[c.bucket_count++] = profile_bucket{
        .first_frame_index = h.frame_index,
        .min_depth = NONE, .max_depth = NONE, .min_speed = NONE, .max_speed = NONE};
  }
  profile_bucket& b = c.buckets[c.bucket_count - 1];
  b.last_frame_index = h.frame_index;
  ++b.frames;
  ++c.frames;
  if (is_real_depth(h.water_depth)) {
    widen(b.min_depth, b.max_depth, feet_to_meters(h.water_depth));
    c.has_depth = true;
  } else {
    ++b.missing_depth;
  }
  if (std::isfinite(h.speed)) widen(b.min_speed, b.max_speed, h.speed);
}

}  // namespace

int profile_log(std::FILE* in, int max_buckets, log_profile& profile) {
  for (channel_profile& c : profile.channels) {
    c.frames = 0;
    c.bucket_width = 1;
    c.bucket_count = 0;
    c.has_depth = false;
  }
  profile.max_buckets = std::clamp(max_buckets, 1, PROFILE_MAX_BUCKETS);

  // A log shorter than its file header simply has no frames.
  file_header fh;
  if (!read_file_header(in, fh)) {
    print_read_error();
    return 0;
  }
  frame_walk w;
  start_walk(w, in, FILE_HEADER_SIZE);
  walk_step step;
  while ((step = next_frame(w)) == walk_step::frame || step == walk_step::cut_off) {
    if (w.header.channel < CHANNEL_COUNT)
      add_frame(profile.channels[w.header.channel], profile.max_buckets, w.header);
    // Data cut short by the end of the file: the frame counts, as in the
    // summary, and the walk ends.
    if (step == walk_step::cut_off) break;
  }
  if (step == walk_step::read_error) {
    print_read_error();
    return 0;
  }
  return 1;
}

}  // namespace logtrim
