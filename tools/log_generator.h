// Writes realistic, deterministic sonar logs for the README, the tests and
// the benchmarks.
#pragma once

#include <cstddef>
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

/// The file header that recorders write: format, version, block size, 0.
inline constexpr std::uint16_t GENERATED_FORMAT = 2;
inline constexpr std::uint16_t GENERATED_VERSION = 0;
inline constexpr std::uint16_t GENERATED_BLOCK_SIZE = 3200;

/// Recorded values in the frame header that the tool itself never reads
/// but viewers show; the generator writes them as recorders do. Offsets in
/// the 144-byte header. Every other byte it does not name is zero.
namespace recorded_field {
inline constexpr std::size_t UPPER_LIMIT = 40;    // f32, feet: top of the displayed range
inline constexpr std::size_t LOWER_LIMIT = 44;    // f32, feet: bottom of the displayed range
inline constexpr std::size_t FREQUENCY = 53;      // u8 code, fixed per channel, 0 to 10
inline constexpr std::size_t UNIX_TIME = 60;      // u32, seconds since 1970
inline constexpr std::size_t TEMPERATURE = 104;   // f32, water temperature in °C
inline constexpr std::size_t EASTING = 108;       // i32, metres, spherical Mercator
inline constexpr std::size_t NORTHING = 112;      // i32, metres, spherical Mercator
inline constexpr std::size_t COURSE = 120;        // f32, radians over ground
inline constexpr std::size_t HEADING = 128;       // f32, radians
inline constexpr std::size_t MILLISECONDS = 140;  // u32, since the recording began
}  // namespace recorded_field

/// Writes the log to `out`: frames with consistent offsets, block sizes and
/// previous block sizes, one fixed packet size per channel (side-scan the
/// largest), depths drifting between 3 and 60 feet with an occasional zero
/// reading, speeds of 0 to 15, and the recorded values above along a smooth
/// track. The same settings give the same bytes on every host. Returns 1 on
/// success, 0 when a write failed.
[[nodiscard]] int write_generated_log(std::FILE* out,
                                      const generator_settings& settings);

}  // namespace logtrim
