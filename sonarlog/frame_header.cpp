#include "sonarlog/frame_header.h"

#include <cstring>

#include "sonarlog/byte_order.h"

namespace logtrim {

namespace f = frame_field;

static_assert(f::RECORDED_104 + sizeof(frame_header::recorded_104) ==
              f::SOUNDING_TIME);
static_assert(f::SOUNDING_TIME + 4 == FRAME_HEADER_SIZE);

frame_header decode_frame_header(const unsigned char* bytes) {
  frame_header h;
  h.frame_offset = load_u32le(bytes + f::FRAME_OFFSET);
  for (std::size_t c = 0; c < CHANNEL_COUNT; ++c)
    h.last_frame_offset[c] = load_u32le(bytes + f::LAST_FRAME_OFFSET + 4 * c);
  h.block_size = load_u16le(bytes + f::BLOCK_SIZE);
  h.previous_block_size = load_u16le(bytes + f::PREVIOUS_BLOCK_SIZE);
  h.channel = load_u16le(bytes + f::CHANNEL);
  h.packet_size = load_u16le(bytes + f::PACKET_SIZE);
  h.frame_index = load_u32le(bytes + f::FRAME_INDEX);
  std::memcpy(h.recorded_40, bytes + f::RECORDED_40, sizeof h.recorded_40);
  h.water_depth = load_f32le(bytes + f::WATER_DEPTH);
  std::memcpy(h.recorded_68, bytes + f::RECORDED_68, sizeof h.recorded_68);
  h.speed = load_f32le(bytes + f::SPEED);
  std::memcpy(h.recorded_104, bytes + f::RECORDED_104, sizeof h.recorded_104);
  h.time_ms = load_u32le(bytes + f::SOUNDING_TIME);
  return h;
}

void encode_frame_header(const frame_header& h, unsigned char* bytes) {
  store_u32le(bytes + f::FRAME_OFFSET, h.frame_offset);
  for (std::size_t c = 0; c < CHANNEL_COUNT; ++c)
    store_u32le(bytes + f::LAST_FRAME_OFFSET + 4 * c, h.last_frame_offset[c]);
  store_u16le(bytes + f::BLOCK_SIZE, h.block_size);
  store_u16le(bytes + f::PREVIOUS_BLOCK_SIZE, h.previous_block_size);
  store_u16le(bytes + f::CHANNEL, h.channel);
  store_u16le(bytes + f::PACKET_SIZE, h.packet_size);
  store_u32le(bytes + f::FRAME_INDEX, h.frame_index);
  std::memcpy(bytes + f::RECORDED_40, h.recorded_40, sizeof h.recorded_40);
  store_f32le(bytes + f::WATER_DEPTH, h.water_depth);
  std::memcpy(bytes + f::RECORDED_68, h.recorded_68, sizeof h.recorded_68);
  store_f32le(bytes + f::SPEED, h.speed);
  std::memcpy(bytes + f::RECORDED_104, h.recorded_104, sizeof h.recorded_104);
  store_u32le(bytes + f::SOUNDING_TIME, h.time_ms);
}

}  // namespace logtrim
