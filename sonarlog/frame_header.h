// Layout of a sonar log: an 8-byte file header, then frames back to back to
// the end of the file. A frame is a 144-byte header followed by
// `packet_size` bytes of sonar data; the next frame starts right after them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sonarlog/byte_order.h"

namespace logtrim {

inline constexpr std::size_t FILE_HEADER_SIZE = 8;
inline constexpr std::size_t FRAME_HEADER_SIZE = 144;
/// The largest frame data the summary takes as sound: a frame with more
/// data bytes is reported with a size error. `packet_size` is 16 bits, so
/// such frames occur; they are still walked and copied whole.
inline constexpr std::size_t MAX_PACKET_SIZE = 10000;
/// Channels 0 to 5 are named; higher numbers are carried but not named.
inline constexpr std::size_t CHANNEL_COUNT = 6;

/// The file header is never interpreted, only copied.
struct file_header {
  unsigned char bytes[FILE_HEADER_SIZE];
};

/// Byte offsets of the frame header fields within the 144 bytes.
namespace frame_field {
inline constexpr std::size_t FRAME_OFFSET = 0;
inline constexpr std::size_t LAST_FRAME_OFFSET = 4;  // 6 x u32, channel 0..5
inline constexpr std::size_t BLOCK_SIZE = 28;
inline constexpr std::size_t PREVIOUS_BLOCK_SIZE = 30;
inline constexpr std::size_t CHANNEL = 32;
inline constexpr std::size_t PACKET_SIZE = 34;
inline constexpr std::size_t FRAME_INDEX = 36;
inline constexpr std::size_t RECORDED_40 = 40;  // 24 bytes
inline constexpr std::size_t WATER_DEPTH = 64;
inline constexpr std::size_t RECORDED_68 = 68;  // 32 bytes
inline constexpr std::size_t SPEED = 100;
inline constexpr std::size_t RECORDED_104 = 104;  // 36 bytes
inline constexpr std::size_t SOUNDING_TIME = 140;  // u32, milliseconds
}  // namespace frame_field

/// A decoded frame header. The recorded values that the tool has no use for
/// are kept as raw bytes so that a decode and encode reproduces all 144
/// bytes exactly.
///
///   offset size field
///        0    4 frame_offset          position of this frame in its file
///        4   24 last_frame_offset[6]  latest frame of each channel, or 0
///       28    2 block_size            recorded; never used to step frames
///       30    2 previous_block_size   block_size of the frame before
///       32    2 channel
///       34    2 packet_size           data bytes after the header
///       36    4 frame_index
///       40   24 recorded_40
///       64    4 water_depth           f32, feet
///       68   32 recorded_68
///      100    4 speed                 f32, as recorded
///      104   36 recorded_104
///      140    4 time_ms               milliseconds on the unit's clock,
///                                     shared by all channels
struct frame_header {
  std::uint32_t frame_offset = 0;
  std::uint32_t last_frame_offset[CHANNEL_COUNT] = {};
  std::uint16_t block_size = 0;
  std::uint16_t previous_block_size = 0;
  std::uint16_t channel = 0;
  std::uint16_t packet_size = 0;
  std::uint32_t frame_index = 0;
  unsigned char recorded_40[24] = {};
  float water_depth = 0;
  unsigned char recorded_68[32] = {};
  float speed = 0;
  unsigned char recorded_104[36] = {};
  /// Never decreases in the order of the file; it starts wherever the
  /// unit's clock stood, so only differences between frames mean anything.
  std::uint32_t time_ms = 0;
};

/// The fields of a frame header that the passes read. The frame walk
/// decodes these alone for every frame: decoding all 144 bytes would cost
/// more than a pass's own work on the frame.
struct frame_fields {
  std::uint16_t block_size = 0;
  std::uint16_t channel = 0;
  std::uint16_t packet_size = 0;
  std::uint32_t frame_index = 0;
  float water_depth = 0;
  float speed = 0;
  std::uint32_t time_ms = 0;
};

/// Decodes the fields of frame_fields from the 144 bytes at `bytes`. Inline:
/// the walk calls it for every frame of the log.
[[nodiscard]] inline frame_fields decode_frame_fields(const unsigned char* bytes) {
  namespace f = frame_field;
  return {.block_size = load_u16le(bytes + f::BLOCK_SIZE),
          .channel = load_u16le(bytes + f::CHANNEL),
          .packet_size = load_u16le(bytes + f::PACKET_SIZE),
          .frame_index = load_u32le(bytes + f::FRAME_INDEX),
          .water_depth = load_f32le(bytes + f::WATER_DEPTH),
          .speed = load_f32le(bytes + f::SPEED),
          .time_ms = load_u32le(bytes + f::SOUNDING_TIME)};
}

/// Decodes the 144 little-endian bytes at `bytes`.
[[nodiscard]] frame_header decode_frame_header(const unsigned char* bytes);

/// Encodes `header` into the 144 bytes at `bytes`.
void encode_frame_header(const frame_header& header, unsigned char* bytes);

}  // namespace logtrim
