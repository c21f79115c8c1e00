// Generated logs: the generator writes consistent logs, and every copy the
// cutter makes of them is consistent too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>

#include "sonarlog/byte_order.h"
#include "sonarlog/channels.h"
#include "sonarlog/run_options.h"
#include "support/log_check.h"
#include "support/streams.h"
#include "tools/log_generator.h"

namespace logtrim {
namespace {

using test::bytes;

constexpr std::uint64_t GOLDEN_FINGERPRINT = 0x52f5d6391ac227c2;

bytes generate(const generator_settings& settings) {
  test::write_capture capture = test::capture_stream();
  EXPECT_EQ(write_generated_log(capture.out, settings), 1);
  std::fclose(capture.out);
  return test::captured_bytes(capture);
}

// 64-bit FNV-1a: a fingerprint of a whole log that is the same everywhere.
std::uint64_t fingerprint(const bytes& log) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (unsigned char b : log) h = (h ^ b) * 0x100000001b3ULL;
  return h;
}

TEST(generated_log, is_consistent_and_the_same_bytes_for_a_seed_on_every_host) {
  generator_settings settings{.size = 2 << 20, .seed = 42};
  bytes log = generate(settings);
  EXPECT_LE(log.size(), settings.size);
  EXPECT_GT(log.size(), settings.size - 3 * (FRAME_HEADER_SIZE + 2800));
  EXPECT_EQ(test::check_log_consistency(log), "");
  EXPECT_EQ(generate(settings), log);
  EXPECT_NE(generate({.size = 2 << 20, .seed = 43}), log);
  // Written on the Linux build; any host, compiler or optimisation that
  // computes one value differently changes it.
  EXPECT_EQ(fingerprint(log), GOLDEN_FINGERPRINT) << std::hex << fingerprint(log);
}

float f32_at(const bytes& header, std::size_t offset) { return load_f32le(header.data() + offset); }
std::uint32_t u32_at(const bytes& header, std::size_t offset) {
  return load_u32le(header.data() + offset);
}
std::int32_t i32_at(const bytes& header, std::size_t offset) {
  return static_cast<std::int32_t>(u32_at(header, offset));
}

// The smaller difference of two angles in radians, across the wrap at 2 pi.
double angle_step(double a, double b) {
  double d = std::fabs(a - b);
  return std::min(d, 2 * std::numbers::pi - d);
}

TEST(generated_log, recorded_values_are_what_recorders_write) {
  bytes log = generate({.size = 4 << 20, .seed = 9, .channels = {0, 1, 2, 3, 4, 5, 8}});
  EXPECT_EQ(bytes(log.begin(), log.begin() + 8), (bytes{2, 0, 0, 0, 0x80, 0x0C, 0, 0}));

  std::vector<frame_header> frames = test::decode_frames(log);
  ASSERT_GT(frames.size(), 1800u);
  const std::uint16_t round[] = {0, 1, 2, 3, 4, 5, 8};
  std::map<std::uint16_t, std::pair<std::uint16_t, int>> size_and_frequency;
  std::size_t position = FILE_HEADER_SIZE;
  bytes previous;
  std::uint32_t round_start_ms = 0;
  int zero_depths = 0;
  namespace r = recorded_field;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    const frame_header& h = frames[i];
    bytes header(log.begin() + static_cast<std::ptrdiff_t>(position),
                 log.begin() + static_cast<std::ptrdiff_t>(position + FRAME_HEADER_SIZE));
    position += FRAME_HEADER_SIZE + h.packet_size;
    ASSERT_EQ(h.channel, round[i % 7]);
    ASSERT_EQ(h.frame_index, i / 7);
    EXPECT_EQ(h.block_size, FRAME_HEADER_SIZE + h.packet_size);
    auto [known, first] = size_and_frequency.try_emplace(h.channel, h.packet_size,
                                                          header[r::FREQUENCY]);
    EXPECT_EQ(known->second, std::make_pair(h.packet_size, int{header[r::FREQUENCY]}))
        << "packet size and frequency are fixed per channel";
    EXPECT_LE(header[r::FREQUENCY], 10);

    EXPECT_GE(h.speed, 0);
    EXPECT_LE(h.speed, 15);
    float upper = f32_at(header, r::UPPER_LIMIT);
    float lower = f32_at(header, r::LOWER_LIMIT);
    EXPECT_EQ(upper, 0);
    EXPECT_TRUE(lower == 20 || lower == 40 || lower == 60 || lower == 80 || lower == 100)
        << lower;
    if (h.water_depth == 0) {
      ++zero_depths;
    } else {
      EXPECT_TRUE(h.water_depth >= 3 && h.water_depth <= 60) << h.water_depth;
      EXPECT_GE(lower, h.water_depth);
    }
    float temperature = f32_at(header, r::TEMPERATURE);
    EXPECT_TRUE(temperature >= 10 && temperature <= 25) << temperature;
    float course = f32_at(header, r::COURSE);
    float heading = f32_at(header, r::HEADING);
    EXPECT_TRUE(course >= 0 && course < 2 * std::numbers::pi) << course;
    EXPECT_TRUE(heading >= 0 && heading < 2 * std::numbers::pi) << heading;
    EXPECT_LE(angle_step(course, heading), 0.16);
    // Within a few kilometres of 10 E 45 N.
    EXPECT_NEAR(i32_at(header, r::EASTING), 1113195, 10000);
    EXPECT_NEAR(i32_at(header, r::NORTHING), 5621521, 10000);

    // Times never go back; one round sounds within a few milliseconds, and
    // the seconds follow the milliseconds from one start time.
    std::uint32_t ms = u32_at(header, r::MILLISECONDS);
    if (h.channel == 0) round_start_ms = ms;
    EXPECT_LE(ms - round_start_ms, 20u);
    EXPECT_EQ(u32_at(header, r::UNIX_TIME), 1781251200 + ms / 1000);
    if (!previous.empty()) {
      EXPECT_GE(ms, u32_at(previous, r::MILLISECONDS));
      EXPECT_GE(u32_at(header, r::UNIX_TIME), u32_at(previous, r::UNIX_TIME));
      // Smooth from one frame to the next: at 15 knots a round moves the
      // boat less than a metre.
      EXPECT_LE(std::fabs(temperature - f32_at(previous, r::TEMPERATURE)), 0.001);
      EXPECT_LE(angle_step(course, f32_at(previous, r::COURSE)), 0.005);
      EXPECT_LE(angle_step(heading, f32_at(previous, r::HEADING)), 0.01);
      EXPECT_LE(std::abs(i32_at(header, r::EASTING) - i32_at(previous, r::EASTING)), 2);
      EXPECT_LE(std::abs(i32_at(header, r::NORTHING) - i32_at(previous, r::NORTHING)), 2);
    }

    // Everything the list above does not name is zero.
    for (auto [from, to] : {std::pair{48, 53}, {54, 60}, {68, 100}, {116, 120}, {124, 128},
                            {132, 140}})
      for (int b = from; b < to; ++b) EXPECT_EQ(header[static_cast<std::size_t>(b)], 0) << b;
    previous = header;
  }
  for (std::uint16_t side_scan : {3, 4, 5})
    for (std::uint16_t other : {0, 1, 2, 8})
      EXPECT_GT(size_and_frequency[side_scan].first, size_and_frequency[other].first);
  EXPECT_GT(zero_depths, 0);
  EXPECT_LT(zero_depths, static_cast<int>(frames.size()) / 50);
}

// A generated log is consistent, so its whole copy is the log itself.
TEST(generated_log, whole_copy_of_a_consistent_log_is_the_log) {
  bytes log = generate({.size = (3 << 20) + 5000, .seed = 11});
  run_options = {.cut_end = 0xFFFFFFFF};
  EXPECT_EQ(test::run_cut(log).copy, log);
  run_options = {};
}

TEST(generated_log, every_copy_is_consistent_and_a_second_trim_changes_nothing) {
  bytes log = generate({.size = 1 << 20, .seed = 7, .channels = {0, 1, 2, 3, 4, 5, 8}});
  struct {
    std::uint32_t start, end;
    bool p, d, s;
  } cases[] = {{0, 0, false, false, false},         {0, 0xFFFFFFFF, false, false, false},
               {10, 20, false, false, true},        {5, 0xFFFFFFFF, true, false, false},
               {1, 30, true, true, false},          {0, 0xFFFFFFFF, true, true, true},
               {100000, 0xFFFFFFFF, false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << ":" << c.end << c.p << c.d << c.s);
    run_options = {.delete_traditional = c.p, .delete_downscan = c.d,
                   .delete_sidescan = c.s, .cut_start = c.start, .cut_end = c.end};
    test::pass_result first = test::run_cut(log);
    ASSERT_EQ(first.result, 1);
    EXPECT_EQ(test::check_log_consistency(first.copy), "");

    std::uint64_t kept_size = FILE_HEADER_SIZE;
    for (const frame_header& h : test::decode_frames(log))
      if (h.frame_index >= c.start && h.frame_index <= c.end && !is_channel_deleted(h.channel))
        kept_size += FRAME_HEADER_SIZE + h.packet_size;
    EXPECT_EQ(first.copy.size(), kept_size);

    run_options = {.cut_start = 0, .cut_end = 0xFFFFFFFF};
    EXPECT_EQ(test::run_cut(first.copy).copy, first.copy);
  }
  run_options = {};
}

}  // namespace
}  // namespace logtrim
