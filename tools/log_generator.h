// Writes realistic, deterministic sonar logs for the README, the tests and
// the benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace logtrim {

struct generator_settings {
  /// The log is at most this many bytes: the file header, then every whole
  /// frame that fits.
  std::uint64_t size = 1 << 20;
  std::uint64_t seed = 1;
  /// The channels recorded, as recorders interleave them in time order.
  /// Down-scan, side-scan and channels above 5 sound at every ping, the
  /// traditional channels 0 and 1 at about every second ping each, not in
  /// step.
  std::vector<std::uint16_t> channels = {0, 1, 2, 5};
  /// Each channel counts its own frames, from a seeded start of up to a few
  /// thousand, different per channel; with this set, from 0, as a fresh
  /// recording does.
  bool indices_from_zero = false;
  /// Every channel at every ping, all sharing one frame index 0, 1, 2, ...:
  /// an older layout, for a test that needs one index sequence.
  bool lockstep = false;
  /// The unit's clock (offset 60) holds the time of offset 140, as an
  /// older unit records it; with this set, 0xFFFFFFFF, as a unit without a
  /// clock records it.
  bool no_unit_clock = false;
  /// The time of the first ping, in milliseconds; a seeded value when not
  /// given. Times count on past 2^32 modulo 2^32, as a unit's clock does.
  std::optional<std::uint32_t> start_time_ms = std::nullopt;
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
inline constexpr std::size_t UNIT_CLOCK = 60;     // u32: the time at 140, or 0xFFFFFFFF
inline constexpr std::size_t TEMPERATURE = 104;   // f32, water temperature in °C
inline constexpr std::size_t EASTING = 108;       // i32, Mercator metres, MERCATOR_RADIUS
inline constexpr std::size_t NORTHING = 112;      // i32, Mercator metres, MERCATOR_RADIUS
inline constexpr std::size_t COURSE = 120;        // f32, radians over ground
inline constexpr std::size_t HEADING = 128;       // f32, radians
inline constexpr std::size_t MILLISECONDS = 140;  // u32, the unit's time, never decreasing
}  // namespace recorded_field

/// The earth's radius of the Mercator positions that recorders write:
/// longitude = x / R * 180/pi, latitude = (2 atan(e^(y/R)) - pi/2) * 180/pi.
inline constexpr double MERCATOR_RADIUS = 6356752.3142;

/// Writes the log to `out`: frames with consistent offsets, block sizes and
/// previous block sizes, one fixed packet size per channel (side-scan the
/// largest), depths drifting between 3 and 60 feet with an occasional zero
/// reading, speeds of 0 to 15, and the recorded values above along a smooth
/// track, the bottom always above the displayed range's lower limit. The same settings give the same bytes on every host. Returns 1 on
/// success, 0 when a write failed.
[[nodiscard]] int write_generated_log(std::FILE* out,
                                      const generator_settings& settings);

}  // namespace logtrim
