// Generated logs: the generator writes consistent logs, and every copy the
// cutter makes of them is consistent too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <array>
#include <map>
#include <numbers>
#include <optional>
#include <set>

#include "sonarlog/byte_order.h"
#include "sonarlog/channels.h"
#include "sonarlog/run_options.h"
#include "support/log_check.h"
#include "support/streams.h"
#include "tools/copy_check.h"
#include "tools/log_generator.h"

namespace logtrim {
namespace {

using test::bytes;

constexpr std::uint64_t GOLDEN_FINGERPRINT = 0x6970d8bba2c11d31;

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
  ASSERT_GT(frames.size(), 1500u);
  std::map<std::uint16_t, std::pair<std::uint16_t, int>> size_and_frequency;
  std::size_t position = FILE_HEADER_SIZE;
  bytes previous;
  int zero_depths = 0;
  namespace r = recorded_field;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    const frame_header& h = frames[i];
    bytes header(log.begin() + static_cast<std::ptrdiff_t>(position),
                 log.begin() + static_cast<std::ptrdiff_t>(position + FRAME_HEADER_SIZE));
    position += FRAME_HEADER_SIZE + h.packet_size;
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
    EXPECT_TRUE(lower == 20 || lower == 40 || lower == 60 || lower == 80) << lower;
    if (h.water_depth == 0) {
      ++zero_depths;
    } else {
      EXPECT_TRUE(h.water_depth >= 3 && h.water_depth <= 60) << h.water_depth;
      // The bottom lies inside the displayed range, above its lower limit.
      EXPECT_LT(h.water_depth, lower);
    }
    float temperature = f32_at(header, r::TEMPERATURE);
    EXPECT_TRUE(temperature >= 10 && temperature <= 25) << temperature;
    float course = f32_at(header, r::COURSE);
    float heading = f32_at(header, r::HEADING);
    EXPECT_TRUE(course >= 0 && course < 2 * std::numbers::pi) << course;
    EXPECT_TRUE(heading >= 0 && heading < 2 * std::numbers::pi) << heading;
    EXPECT_LE(angle_step(course, heading), 0.16);
    // Within a few kilometres of 10 E 45 N, decoded as readers decode it.
    double longitude = i32_at(header, r::EASTING) / MERCATOR_RADIUS * 180 / std::numbers::pi;
    double latitude = (2 * std::atan(std::exp(i32_at(header, r::NORTHING) / MERCATOR_RADIUS)) -
                       std::numbers::pi / 2) * 180 / std::numbers::pi;
    EXPECT_NEAR(longitude, 10, 0.05);
    EXPECT_NEAR(latitude, 45, 0.05);

    // The unit's clock is the time of offset 140.
    EXPECT_EQ(u32_at(header, r::UNIT_CLOCK), h.time_ms);
    if (!previous.empty()) {
      // Interleaved in time order, a few milliseconds apart at most within
      // a ping and 80 between pings.
      std::uint32_t step = h.time_ms - u32_at(previous, r::MILLISECONDS);
      EXPECT_LE(step, 82u);
      // Smooth from one frame to the next: at 15 knots a ping moves the
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

// Per channel: its frames, its first frame index, and whether its index
// steps by one from each of its frames to the next.
struct channel_count {
  std::uint32_t frames = 0;
  std::uint32_t first_index = 0;
  bool steps_by_one = true;
};

std::map<std::uint16_t, channel_count> count_channels(const bytes& log) {
  std::map<std::uint16_t, channel_count> counts;
  for (const frame_header& h : test::decode_frames(log)) {
    channel_count& c = counts[h.channel];
    if (c.frames == 0) c.first_index = h.frame_index;
    if (h.frame_index != c.first_index + c.frames) c.steps_by_one = false;
    ++c.frames;
  }
  return counts;
}

TEST(generated_log, channels_count_their_own_frames_at_their_own_rates) {
  bytes log = generate({.size = 8 << 20, .seed = 5, .channels = {0, 1, 2, 3, 5, 9}});
  std::map<std::uint16_t, channel_count> counts = count_channels(log);
  ASSERT_EQ(counts.size(), 6u);
  std::set<std::uint32_t> starts;
  for (const auto& [channel, c] : counts) {
    SCOPED_TRACE(channel);
    EXPECT_TRUE(c.steps_by_one);
    EXPECT_LT(c.first_index, 8000u);
    starts.insert(c.first_index);
  }
  EXPECT_EQ(starts.size(), counts.size()) << "every channel starts elsewhere";
  // Down-scan, side-scan and channel 9 at every ping; the traditional
  // channels at about every second ping each, not in step.
  for (std::uint16_t channel : {3, 5, 9})
    EXPECT_NEAR(counts[channel].frames, counts[2].frames, 1) << channel;
  for (std::uint16_t channel : {0, 1}) {
    double share = counts[channel].frames / double(counts[2].frames);
    EXPECT_TRUE(share > 0.45 && share < 0.55) << channel << ": " << share;
  }
  // Not in step: somewhere one traditional channel sounds twice with no
  // frame of the other between.
  int last_traditional = -1;
  bool twice_in_a_row = false;
  for (const frame_header& h : test::decode_frames(log)) {
    if (h.channel > 1) continue;
    twice_in_a_row |= h.channel == last_traditional;
    last_traditional = h.channel;
  }
  EXPECT_TRUE(twice_in_a_row);
  // The first frame's time is where the unit's clock stood, not 0.
  EXPECT_GT(test::decode_frames(log).front().time_ms, 1000u);
}

TEST(generated_log, settings_for_a_fresh_recording_a_unit_without_clock_and_lockstep) {
  bytes fresh = generate({.size = 1 << 20, .seed = 5, .indices_from_zero = true,
                          .no_unit_clock = true, .start_time_ms = 48});
  for (const auto& [channel, c] : count_channels(fresh)) {
    EXPECT_EQ(c.first_index, 0u) << channel;
    EXPECT_TRUE(c.steps_by_one) << channel;
  }
  std::vector<frame_header> frames = test::decode_frames(fresh);
  EXPECT_EQ(frames.front().time_ms, 48u);
  std::size_t position = FILE_HEADER_SIZE;
  for (const frame_header& h : frames) {
    EXPECT_EQ(load_u32le(fresh.data() + position + recorded_field::UNIT_CLOCK), 0xFFFFFFFFu);
    position += FRAME_HEADER_SIZE + h.packet_size;
  }

  bytes lockstep = generate({.size = 1 << 20, .seed = 5, .lockstep = true});
  frames = test::decode_frames(lockstep);
  ASSERT_GT(frames.size(), 100u);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    ASSERT_EQ(frames[i].channel, (std::array<std::uint16_t, 4>{0, 1, 2, 5})[i % 4]) << i;
    ASSERT_EQ(frames[i].frame_index, i / 4) << i;
  }
}

// A clock that passes 2^32 during the log counts on from 0.
TEST(generated_log, times_count_on_past_two_to_the_32) {
  bytes log = generate({.size = 1 << 20, .seed = 5, .start_time_ms = 0xFFFFF000});
  std::vector<frame_header> frames = test::decode_frames(log);
  EXPECT_EQ(frames.front().time_ms, 0xFFFFF000u);
  EXPECT_LT(frames.back().time_ms, 0x10000u);
  for (std::size_t i = 1; i < frames.size(); ++i)
    ASSERT_LE(frames[i].time_ms - frames[i - 1].time_ms, 82u) << i;
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
  std::vector<frame_header> frames = test::decode_frames(log);
  constexpr std::uint32_t ALL = 0xFFFFFFFF;
  // Each channel counts from a start of its own, so a range from 0 keeps
  // nothing: the rows marked `from_low` count from the lowest index of
  // the channels that the letters leave.
  struct {
    bool by_time;
    bool from_low;
    std::uint32_t start, end;
    bool p, d, s;
    bool keeps_some;
  } cases[] = {{false, false, 0, 0, false, false, false, false},
               {false, false, 0, ALL, false, false, false, true},
               {false, true, 10, 20, false, false, true, true},
               {false, true, 5, ALL, true, false, false, true},
               {false, true, 1, 30, true, true, false, true},
               {false, false, 0, ALL, true, true, true, true},  // channel 8 stays
               {false, false, 100000, ALL, false, false, false, false},
               {true, false, 0, ALL, false, false, false, true},
               {true, false, 2000, 5000, false, false, true, true},
               {true, false, 1000, ALL, true, false, false, true},
               {true, false, 0, 0, false, false, false, true},
               {true, false, 3600000, ALL, false, false, false, false}};
  for (auto c : cases) {
    run_options = {.delete_traditional = c.p, .delete_downscan = c.d, .delete_sidescan = c.s};
    if (c.from_low) {
      std::uint32_t low = UINT32_MAX;
      for (const frame_header& h : frames)
        if (!is_channel_deleted(h.channel)) low = std::min(low, h.frame_index);
      ASSERT_GT(low, 30u) << "a seeded start";
      c.start += low;
      if (c.end != ALL) c.end += low;
    }
    SCOPED_TRACE(testing::Message() << (c.by_time ? "-t " : "-c ") << c.start << ":" << c.end
                                    << c.p << c.d << c.s);
    run_options.cut_start = run_options.time_from = c.start;
    run_options.cut_end = run_options.time_to = c.end;
    run_options.cut_by_time = c.by_time;
    test::pass_result first = test::run_cut(log);
    ASSERT_EQ(first.result, 1);
    EXPECT_EQ(test::check_log_consistency(first.copy), "");

    std::uint64_t kept_size = FILE_HEADER_SIZE;
    for (const frame_header& h : frames) {
      std::uint32_t at = c.by_time ? h.time_ms - frames.front().time_ms : h.frame_index;
      if (at >= c.start && at <= c.end && !is_channel_deleted(h.channel))
        kept_size += FRAME_HEADER_SIZE + h.packet_size;
    }
    EXPECT_EQ(first.copy.size(), kept_size);
    EXPECT_EQ(kept_size > FILE_HEADER_SIZE, c.keeps_some);

    run_options = {.cut_start = 0, .cut_end = 0xFFFFFFFF};
    EXPECT_EQ(test::run_cut(first.copy).copy, first.copy);
  }
  run_options = {};
}

std::set<std::uint16_t> channels_of(const bytes& log) {
  std::set<std::uint16_t> channels;
  for (const frame_header& h : test::decode_frames(log)) channels.insert(h.channel);
  return channels;
}

// A span of time keeps the same stretch of the trip on every channel,
// however each counts its frames: the copy holds the frames of the span
// and no other, each channel counting from 0, also across the clock's wrap.
TEST(generated_log, time_cut_keeps_the_span_on_every_channel) {
  const std::vector<std::uint16_t> channels = {0, 1, 2, 3, 5, 9};
  for (std::optional<std::uint32_t> start : {std::optional<std::uint32_t>{},
                                             std::optional<std::uint32_t>{0xFFFFE000}}) {
    bytes log = generate({.size = 2 << 20, .seed = 3, .channels = channels,
                          .start_time_ms = start});
    std::vector<frame_header> frames = test::decode_frames(log);
    std::uint32_t length = frames.back().time_ms - frames.front().time_ms;
    ASSERT_GT(length, 10000u);
    struct {
      std::uint32_t from, to;
      bool whole;
    } spans[] = {{0, 0xFFFFFFFF, true}, {3000, 3500, false}, {1000, 9000, false},
                 {length - 1000, 0xFFFFFFFF, false}};
    for (const auto& span : spans) {
      SCOPED_TRACE(testing::Message() << (start ? "wrapping " : "") << span.from << "-"
                                      << span.to);
      run_options = {.cut_by_time = true, .time_from = span.from, .time_to = span.to};
      test::pass_result r = test::run_cut(log);
      ASSERT_EQ(r.result, 1);
      test::stream log_stream = test::read_stream(log);
      test::stream copy_stream = test::read_stream(r.copy);
      copy_report report;
      EXPECT_EQ(check_copy(log_stream.get(), copy_stream.get(),
                           {.by_time = true, .from_ms = span.from, .to_ms = span.to}, report),
                "");
      EXPECT_EQ(report.log_frames, frames.size());
      EXPECT_EQ(report.copied_frames == frames.size(), span.whole);
      EXPECT_EQ(channels_of(r.copy), std::set<std::uint16_t>(channels.begin(), channels.end()));
      for (const auto& [channel, c] : count_channels(r.copy)) {
        EXPECT_EQ(c.first_index, 0u) << channel;
        EXPECT_TRUE(c.steps_by_one) << channel;
      }
    }
  }
  run_options = {};
}

}  // namespace
}  // namespace logtrim
