// Generated logs: the generator writes consistent logs, and every copy the
// cutter makes of them is consistent too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "sonarlog/channels.h"
#include "sonarlog/run_options.h"
#include "support/log_check.h"
#include "support/streams.h"
#include "tools/log_generator.h"

namespace logtrim {
namespace {

using test::bytes;

bytes generate(const generator_settings& settings) {
  test::write_capture capture = test::capture_stream();
  EXPECT_EQ(write_generated_log(capture.out, settings), 1);
  std::fclose(capture.out);
  return test::captured_bytes(capture);
}

TEST(generated_log, is_realistic_consistent_and_deterministic) {
  generator_settings settings{.size = 2 << 20, .seed = 42};
  bytes log = generate(settings);
  EXPECT_LE(log.size(), settings.size);
  EXPECT_GT(log.size(), settings.size - 4000);
  EXPECT_EQ(test::check_log_consistency(log), "");
  EXPECT_EQ(generate(settings), log);
  EXPECT_NE(generate({.size = 2 << 20, .seed = 43}), log);

  std::vector<frame_header> frames = test::decode_frames(log);
  const std::uint16_t round[] = {0, 2, 5};
  int zero_depths = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const frame_header& h = frames[i];
    EXPECT_EQ(h.channel, round[i % 3]);
    EXPECT_EQ(h.frame_index, i / 3);
    EXPECT_EQ(h.block_size, FRAME_HEADER_SIZE + h.packet_size);
    EXPECT_GE(h.packet_size, 1024);
    EXPECT_LE(h.packet_size, 3072);
    EXPECT_GE(h.speed, 0);
    EXPECT_LE(h.speed, 15);
    if (h.water_depth == 0) {
      ++zero_depths;
    } else {
      EXPECT_TRUE(h.water_depth >= 3 && h.water_depth <= 60) << h.water_depth;
    }
  }
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
