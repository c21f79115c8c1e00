#include "sonarlog/frame_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sonarlog/byte_order.h"
#include "support/log_builder.h"

namespace logtrim {
namespace {

// One frame header spelled out byte by byte, so that decoding is checked
// against something independent of the encoder.
test::bytes spelled_header() {
  test::bytes b(FRAME_HEADER_SIZE, 0);
  const unsigned char named[] = {
      0x08, 0x00, 0x00, 0x00,  //  0 frame_offset 8
      0x08, 0x00, 0x00, 0x00,  //  4 last_frame_offset[0] 8
      0x01, 0x02, 0x03, 0x04,  //  8 last_frame_offset[1] 0x04030201
      0x00, 0x00, 0x00, 0x00,  // 12 last_frame_offset[2] 0
      0xFF, 0xFF, 0xFF, 0xFF,  // 16 last_frame_offset[3] 0xFFFFFFFF
      0x10, 0x00, 0x00, 0x00,  // 20 last_frame_offset[4] 16
      0x00, 0x00, 0x00, 0x80,  // 24 last_frame_offset[5] 0x80000000
      0xA0, 0x0C,              // 28 block_size 3232
      0x34, 0x12,              // 30 previous_block_size 0x1234
      0x05, 0x00,              // 32 channel 5
      0x10, 0x0C,              // 34 packet_size 3088
      0x2A, 0x00, 0x00, 0x01,  // 36 frame_index 0x0100002A
  };
  std::memcpy(b.data(), named, sizeof named);
  for (std::size_t i = 40; i < 64; ++i) b[i] = static_cast<unsigned char>(i);
  const unsigned char depth[] = {0x00, 0x00, 0x20, 0x41};  // 64 water_depth 10.0f
  std::memcpy(b.data() + 64, depth, 4);
  for (std::size_t i = 68; i < 100; ++i) b[i] = static_cast<unsigned char>(0xF0 ^ i);
  const unsigned char speed[] = {0x00, 0x00, 0xC0, 0xBF};  // 100 speed -1.5f
  std::memcpy(b.data() + 100, speed, 4);
  for (std::size_t i = 104; i < 140; ++i) b[i] = static_cast<unsigned char>(255 - i);
  const unsigned char time[] = {0x47, 0x1B, 0x14, 0x00};  // 140 time_ms 1317703
  std::memcpy(b.data() + 140, time, 4);
  return b;
}

TEST(frame_header, decodes_every_field_at_its_offset) {
  test::bytes b = spelled_header();
  frame_header h = decode_frame_header(b.data());
  EXPECT_EQ(h.frame_offset, 8u);
  const std::uint32_t table[] = {8, 0x04030201, 0, 0xFFFFFFFF, 16, 0x80000000};
  for (std::size_t c = 0; c < CHANNEL_COUNT; ++c) EXPECT_EQ(h.last_frame_offset[c], table[c]);
  EXPECT_EQ(h.block_size, 3232u);
  EXPECT_EQ(h.previous_block_size, 0x1234u);
  EXPECT_EQ(h.channel, 5u);
  EXPECT_EQ(h.packet_size, 3088u);
  EXPECT_EQ(h.frame_index, 0x0100002Au);
  EXPECT_EQ(h.water_depth, 10.0f);
  EXPECT_EQ(h.speed, -1.5f);
  EXPECT_EQ(h.recorded_40[0], 40);
  EXPECT_EQ(h.recorded_68[31], 0xF0 ^ 99);
  EXPECT_EQ(h.recorded_104[35], 255 - 139);
  EXPECT_EQ(h.time_ms, 1317703u);

  // The fields that the passes read, decoded alone.
  frame_fields f = decode_frame_fields(b.data());
  EXPECT_EQ(f.block_size, 3232u);
  EXPECT_EQ(f.channel, 5u);
  EXPECT_EQ(f.packet_size, 3088u);
  EXPECT_EQ(f.frame_index, 0x0100002Au);
  EXPECT_EQ(f.water_depth, 10.0f);
  EXPECT_EQ(f.speed, -1.5f);
  EXPECT_EQ(f.time_ms, 1317703u);
}

TEST(frame_header, encode_reproduces_all_144_bytes) {
  test::bytes b = spelled_header();
  // Guard bytes on either side, which the encoder must leave alone.
  constexpr std::size_t GUARD = 16;
  // NaN payloads, a signalling NaN among them, and infinities pass through
  // bit for bit.
  for (std::uint32_t depth_bits : {0x7FA00001u, 0xFFC12345u, 0x7F800000u, 0x80000000u}) {
    store_u32le(b.data() + 64, depth_bits);
    store_u32le(b.data() + 100, depth_bits ^ 0x00000F00u);
    test::bytes out(GUARD + FRAME_HEADER_SIZE + GUARD, 0xEE);
    encode_frame_header(decode_frame_header(b.data()), out.data() + GUARD);
    test::bytes expected(out.size(), 0xEE);
    std::copy(b.begin(), b.end(), expected.begin() + GUARD);
    EXPECT_EQ(out, expected) << std::hex << depth_bits;
  }
}

TEST(frame_header, encode_writes_little_endian_fields) {
  frame_header h;
  h.frame_offset = 0x11223344;
  h.last_frame_offset[5] = 0xA1B2C3D4;
  h.previous_block_size = 0xBEEF;
  h.packet_size = 10001;
  h.frame_index = 0xFFFFFFFE;
  h.water_depth = 10.0f;
  test::bytes out = test::encoded(h);
  EXPECT_EQ(test::bytes(out.begin(), out.begin() + 4), (test::bytes{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(test::bytes(out.begin() + 24, out.begin() + 28), (test::bytes{0xD4, 0xC3, 0xB2, 0xA1}));
  EXPECT_EQ(test::bytes(out.begin() + 30, out.begin() + 32), (test::bytes{0xEF, 0xBE}));
  EXPECT_EQ(test::bytes(out.begin() + 34, out.begin() + 36), (test::bytes{0x11, 0x27}));
  EXPECT_EQ(test::bytes(out.begin() + 36, out.begin() + 40), (test::bytes{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(test::bytes(out.begin() + 64, out.begin() + 68), (test::bytes{0x00, 0x00, 0x20, 0x41}));
}

}  // namespace
}  // namespace logtrim
