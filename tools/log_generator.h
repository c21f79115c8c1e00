// Writes realistic, deterministic sonar logs for the README, the tests and
// the benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace logtrim {

struct generator_settings {
  /// The log is at most this many bytes: the file header, then every whole
  /// frame that fits.
  std::uint64_t size = 1 << 20;
  std::uint64_t seed = 1;
  /// One frame per channel in each round; the frames of a round share a
  /// frame index (0, 1, 2, ...).
  std::vector<std::uint16_t> channels = {0, 2, 5};
};

/// Writes the log to `out`, frames with consistent offsets, block sizes and
/// previous block sizes, packet sizes of 1 to 3 KB, depths drifting between
/// 3 and 60 feet with an occasional zero reading, speeds of 0 to 15. Returns
/// 1 on success, 0 when a write failed.
[[nodiscard]] int write_generated_log(std::FILE* out,
                                      const generator_settings& settings);

}  // namespace logtrim
