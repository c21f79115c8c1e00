#include "ops/summary.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "sonarlog/frame_walk.h"
#include "sonarlog/run_options.h"
#include "support/log_builder.h"
#include "support/streams.h"

namespace logtrim {
namespace {

using test::bytes;
using test::build_log;
using test::make_frame;
using test::run_scan;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();

class summary : public testing::Test {
 protected:
  void SetUp() override { run_options = {}; }
};

TEST_F(summary, worked_example_with_letter_p) {
  // Channel 0, indices 0 to 99, depths 10 to 20 feet, speeds 0 to 5.2.
  std::vector<frame_header> frames;
  for (std::uint32_t i = 0; i < 100; ++i)
    frames.push_back(make_frame(0, i, 8, 10 + (i % 11), i == 50 ? 5.2f : (i % 6) * 0.8f));
  run_options.delete_traditional = true;
  test::pass_result r = run_scan(build_log(frames));
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.printed,
            "=== Primary (Tranditional Sonar): 100 sounds - be deleted\n"
            "Depth: from   3.0 m to   6.1 m; 0 depth count = 0\n"
            "Speed: from   0.0 to   5.2\n");
}

TEST_F(summary, channels_reported_in_order_and_above_5_ignored) {
  bytes log = build_log({make_frame(5, 1), make_frame(7, 9), make_frame(3, 2),
                         make_frame(0, 3), make_frame(1, 4), make_frame(2, 5),
                         make_frame(4, 6)});
  EXPECT_EQ(run_scan(log).printed,
            "=== Primary (Tranditional Sonar): 4 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n"
            "=== Secondary (Tranditional Sonar): 5 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n"
            "=== DSI (DownScan Imaging): 6 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n"
            "=== Left (Sidescan): 3 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n"
            "=== Right (Sidescan): 7 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n"
            "=== Composite (Sidescan): 2 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n");
}

TEST_F(summary, deletion_marks_follow_the_letters) {
  bytes log = build_log({make_frame(0, 0), make_frame(1, 0), make_frame(2, 0),
                         make_frame(3, 0), make_frame(4, 0), make_frame(5, 0)});
  struct {
    bool p, d, s;
    const char* marked;  // one character per channel 0..5
  } cases[] = {{false, false, false, "------"}, {true, false, false, "xx----"},
               {false, true, false, "--x---"},  {false, false, true, "---xxx"},
               {false, true, true, "--xxxx"},   {true, true, true, "xxxxxx"}};
  for (const auto& c : cases) {
    run_options = {.delete_traditional = c.p, .delete_downscan = c.d, .delete_sidescan = c.s};
    std::string printed = run_scan(log).printed;
    std::string marked;
    for (std::size_t pos = 0; (pos = printed.find("===", pos)) != std::string::npos; ++pos) {
      std::size_t eol = printed.find('\n', pos);
      marked += printed.compare(eol - 13, 13, " - be deleted") == 0 ? 'x' : '-';
    }
    EXPECT_EQ(marked, c.marked) << c.p << c.d << c.s;
  }
}

// One channel's report for frames of channel 2 with the given depths and
// speeds, indices 0, 1, 2, ...
std::string report_of(const std::vector<std::pair<float, float>>& depth_speed) {
  std::vector<frame_header> frames;
  for (std::size_t i = 0; i < depth_speed.size(); ++i)
    frames.push_back(make_frame(2, static_cast<std::uint32_t>(i), 4,
                                depth_speed[i].first, depth_speed[i].second));
  std::string printed = run_scan(build_log(frames)).printed;
  return printed.substr(printed.find('\n') + 1);
}

TEST_F(summary, depth_range_over_real_depths_only) {
  struct {
    std::vector<std::pair<float, float>> frames;
    const char* report;
  } cases[] = {
      // A missing first reading neither seeds the range nor goes uncounted.
      {{{0, 1}, {32.8084f, 1}, {65.6168f, 1}},
       "Depth: from  10.0 m to  20.0 m; 0 depth count = 1\nSpeed: from   1.0 to   1.0\n"},
      {{{NaN, 1}, {32.8084f, 1}, {-4, 1}, {INF, 1}, {-INF, 1}, {16.4042f, 1}},
       "Depth: from   5.0 m to  10.0 m; 0 depth count = 4\nSpeed: from   1.0 to   1.0\n"},
      // Feet to metres is the division by 3.2808399 in double precision,
      // rounded to float: near a rounding boundary of the printed decimal a
      // float division or another constant prints another answer.
      {{{std::bit_cast<float>(0x40327a4au), 1}, {std::bit_cast<float>(0x4159d907u), 1}},
       "Depth: from   0.9 m to   4.2 m; 0 depth count = 0\nSpeed: from   1.0 to   1.0\n"},
      {{{4.75721788f, 1}},
       "Depth: from   1.5 m to   1.5 m; 0 depth count = 0\nSpeed: from   1.0 to   1.0\n"},
      // Under a foot is still a depth: only zero and below are none.
      {{{32.8084f, 1}, {0.5f, 1}},
       "Depth: from   0.2 m to  10.0 m; 0 depth count = 0\nSpeed: from   1.0 to   1.0\n"},
      // No real depth at all.
      {{{0, 1}, {NaN, 1}},
       "Depth: from   0.0 m to   0.0 m; 0 depth count = 2\nSpeed: from   1.0 to   1.0\n"},
      // Speed has no zero filter; only non-finite speeds are skipped.
      {{{10, NaN}, {10, 3}, {10, -1.5f}, {10, INF}, {10, 0}},
       "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\nSpeed: from  -1.5 to   3.0\n"},
      {{{10, NaN}, {10, -INF}},
       "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\nSpeed: from   0.0 to   0.0\n"},
      // -0.0 is not below +0.0 in a plain comparison, so it never replaces it.
      {{{10, 0.0f}, {10, -0.0f}},
       "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\nSpeed: from   0.0 to   0.0\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(report_of(c.frames), c.report);
}

TEST_F(summary, sounds_from_the_last_frame_index_in_64_bits) {
  struct {
    std::vector<std::uint32_t> indices;
    const char* first_line;
  } cases[] = {
      {{5, 6, 7}, "=== Primary (Tranditional Sonar): 8 sounds\n"},
      {{9, 8, 3}, "=== Primary (Tranditional Sonar): 4 sounds\n"},
      {{2147483647}, "=== Primary (Tranditional Sonar): 2147483648 sounds\n"},
      {{4294967295}, "=== Primary (Tranditional Sonar): 4294967296 sounds\n"},
  };
  for (const auto& c : cases) {
    std::vector<frame_header> frames;
    for (std::uint32_t i : c.indices) frames.push_back(make_frame(0, i));
    std::string printed = run_scan(build_log(frames)).printed;
    EXPECT_EQ(printed.substr(0, printed.find('\n') + 1), c.first_line);
  }
}

TEST_F(summary, size_error_line_for_frames_over_10000_bytes) {
  // 10000 is within the buffer; 10001 is not, on any channel. The frame after
  // the large one is still read in its place.
  bytes log = build_log({make_frame(7, 0, 10001), make_frame(0, 1, 10000),
                         make_frame(1, 2, 65535), make_frame(2, 3, 0)});
  test::pass_result r = run_scan(log);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.printed,
            "\nsize error!\n"
            "\nsize error!\n"
            "=== Primary (Tranditional Sonar): 2 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n"
            "=== Secondary (Tranditional Sonar): 3 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n"
            "=== DSI (DownScan Imaging): 4 sounds\n"
            "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
            "Speed: from   2.0 to   2.0\n");
}

TEST_F(summary, no_whole_frame_prints_nothing) {
  for (std::size_t size : {0, 3, 8, 8 + 143}) {
    bytes log = build_log({make_frame(0, 0)});
    log.resize(size);
    test::pass_result r = run_scan(log);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.printed, "") << size;
  }
}

TEST_F(summary, frame_with_data_cut_short_is_still_counted) {
  bytes log = build_log({make_frame(0, 0), make_frame(0, 41, 100)});
  log.resize(log.size() - 1);
  EXPECT_EQ(run_scan(log).printed.substr(0, 45),
            "=== Primary (Tranditional Sonar): 42 sounds\nD");
}

TEST_F(summary, read_error_is_reported_instead_of_the_report) {
  // Two small frames, then enough large ones to fill more than two read
  // blocks, so that an error past the first block meets a table that holds
  // the frames of that block already.
  std::vector<frame_header> frames = {make_frame(0, 0, 100), make_frame(0, 1, 100)};
  while (frames.size() * (FRAME_HEADER_SIZE + MAX_PACKET_SIZE) < 2 * WALK_BLOCK_SIZE)
    frames.push_back(make_frame(0, 2, MAX_PACKET_SIZE));
  bytes log = build_log(frames);
  const bytes later_log = build_log({make_frame(2, 4)});
  for (std::size_t good : {std::size_t{8}, std::size_t{8 + 144 + 50}, WALK_BLOCK_SIZE + 5000,
                           log.size() - 1}) {
    SCOPED_TRACE(good);
    test::stream in = test::failing_read_stream(log, good);
    char skip[8];
    ASSERT_EQ(std::fread(skip, 1, 8, in.get()), 8u);
    testing::internal::CaptureStdout();
    int result = scan_log(in.get());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Read error!\n");
    EXPECT_EQ(result, 0);
    // The table is left empty: a later scan reports its own log alone.
    EXPECT_EQ(run_scan(later_log).printed,
              "=== DSI (DownScan Imaging): 5 sounds\n"
              "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
              "Speed: from   2.0 to   2.0\n");
  }
}

TEST_F(summary, frames_cut_by_the_end_of_a_read_block_are_read_whole) {
  // Bytes of the frame under test that lie before the first block's end:
  // part of its header, all of it, or its header and part of its data.
  for (std::size_t before_end : {1, 72, 143, 144, 145, 20000}) {
    SCOPED_TRACE(before_end);
    std::vector<frame_header> frames;
    std::size_t gap = WALK_BLOCK_SIZE - before_end - FILE_HEADER_SIZE;
    constexpr std::size_t FILLER = FRAME_HEADER_SIZE + MAX_PACKET_SIZE;
    for (; gap > 2 * FILLER; gap -= FILLER)
      frames.push_back(make_frame(2, 1, MAX_PACKET_SIZE));
    for (std::size_t part : {gap / 2, gap - gap / 2})
      frames.push_back(make_frame(2, 1, static_cast<std::uint16_t>(part - FRAME_HEADER_SIZE)));
    // Over 10000 bytes, so that its data runs on past the block's end.
    frames.push_back(make_frame(0, 7, 30000, 40));
    frames.push_back(make_frame(0, 8, 16, 20));
    EXPECT_EQ(run_scan(build_log(frames)).printed,
              "\nsize error!\n"
              "=== Primary (Tranditional Sonar): 9 sounds\n"
              "Depth: from   6.1 m to  12.2 m; 0 depth count = 0\n"
              "Speed: from   2.0 to   2.0\n"
              "=== DSI (DownScan Imaging): 2 sounds\n"
              "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
              "Speed: from   2.0 to   2.0\n");
  }
}

TEST(feet_to_meters, divides_in_double_and_rounds_to_float) {
  EXPECT_EQ(feet_to_meters(32.808399f), static_cast<float>(32.808399f / 3.2808399));
  EXPECT_EQ(feet_to_meters(0), 0.0f);
  EXPECT_EQ(feet_to_meters(-3.2808399f), -1.0f);
}

}  // namespace
}  // namespace logtrim
