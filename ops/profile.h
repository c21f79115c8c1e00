// The depth profile: one walk over a log that keeps, per channel 0 to 5, a
// bounded series of buckets of consecutive frames with the depth and speed
// range of each, for drawing the log against its frame indices.
#pragma once

#include <cstdint>
#include <cstdio>

#include "sonarlog/frame_header.h"

namespace logtrim {

/// The most buckets a channel's profile holds, whatever the log's size.
inline constexpr int PROFILE_MAX_BUCKETS = 4096;

/// A run of consecutive frames of one channel, in the order of the file.
struct profile_bucket {
  std::uint32_t first_frame_index = 0;  ///< frame_index of its first frame
  std::uint32_t last_frame_index = 0;   ///< frame_index of its last frame
  std::uint32_t frames = 0;             ///< frames in the bucket
  std::uint32_t missing_depth = 0;      ///< frames without a real depth
  /// Range over real depths (finite and above zero), in metres; NaN when
  /// the bucket has none.
  float min_depth = 0;
  float max_depth = 0;
  /// Range over finite speeds, as recorded; NaN when the bucket has none.
  float min_speed = 0;
  float max_speed = 0;
};

/// The profile of one channel. Each bucket covers `bucket_width` frames,
/// the last one as many as are left; the width doubles whenever the channel
/// outgrows its buckets, and neighbouring buckets are then merged in pairs.
struct channel_profile {
  std::uint64_t frames = 0;         ///< frames of the channel in the log
  std::uint64_t bucket_width = 1;   ///< frames per bucket
  int bucket_count = 0;
  bool has_depth = false;           ///< some frame has a real depth
  profile_bucket buckets[PROFILE_MAX_BUCKETS];
};

/// The profile of a whole log; channels above 5 are not profiled.
struct log_profile {
  int max_buckets = PROFILE_MAX_BUCKETS;  ///< bucket limit of this walk
  channel_profile channels[CHANNEL_COUNT];
};

/// Walks every frame of `in` from its start (file header included) and
/// fills `profile` with at most `max_buckets` buckets per channel (taken
/// as 1 to PROFILE_MAX_BUCKETS). A frame whose data the end of the file cuts
/// off is profiled, as the summary counts it. Returns 1, or 0 after printing
/// "Read error!".
[[nodiscard]] int profile_log(std::FILE* in, int max_buckets, log_profile& profile);

}  // namespace logtrim
