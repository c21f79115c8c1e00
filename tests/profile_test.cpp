#include "ops/profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/log_builder.h"
#include "support/streams.h"

namespace logtrim {
namespace {

using test::bytes;
using test::build_log;
using test::make_frame;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float FEET_PER_METRE = 3.2808399f;

// What one bucket must hold; depths in metres, NaN for none.
struct bucket_case {
  std::uint32_t first, last, frames, missing;
  float min_depth, max_depth, min_speed, max_speed;
};

struct profile_case {
  const char* name;
  std::vector<frame_header> frames;
  int max_buckets;
  int channel;
  bool has_depth;
  std::uint64_t width;
  std::vector<bucket_case> buckets;
};

// Frames `first` to `last` of channel 0 with a depth in metres equal to the
// index and a speed of a tenth of it.
std::vector<frame_header> indexed_frames(std::uint32_t first, std::uint32_t last) {
  std::vector<frame_header> frames;
  for (std::uint32_t i = first; i <= last; ++i)
    frames.push_back(make_frame(0, i, 4, static_cast<float>(i) * FEET_PER_METRE, i / 10.0f));
  return frames;
}

std::unique_ptr<log_profile> profile_of(const bytes& log, int max_buckets, test::pass_result& r) {
  auto profile = std::make_unique<log_profile>();
  test::stream in = test::read_stream(log);
  testing::internal::CaptureStdout();
  r.result = profile_log(in.get(), max_buckets, *profile);
  r.printed = testing::internal::GetCapturedStdout();
  return profile;
}

void expect_same(float actual, float expected, const char* what) {
  SCOPED_TRACE(what);
  if (std::isnan(expected))
    EXPECT_TRUE(std::isnan(actual)) << actual;
  else
    EXPECT_NEAR(actual, expected, 1e-4f);
}

TEST(profile_log, bucket_table) {
  const profile_case cases[] = {
      {"one frame", {make_frame(2, 7, 4, 32.808399f, 1.5f)}, 4096, 2, true, 1,
       {{7, 7, 1, 0, 10, 10, 1.5f, 1.5f}}},
      {"as many frames as buckets: one frame each", indexed_frames(0, 3), 4, 0, true, 1,
       {{0, 0, 1, 1, NaN, NaN, 0, 0}, {1, 1, 1, 0, 1, 1, 0.1f, 0.1f},
        {2, 2, 1, 0, 2, 2, 0.2f, 0.2f}, {3, 3, 1, 0, 3, 3, 0.3f, 0.3f}}},
      // Frame 0 has depth 0: missing, so bucket 0 starts its depths at 1.
      {"one frame too many: pairs merge and the last is half full", indexed_frames(0, 4), 4, 0,
       true, 2,
       {{0, 1, 2, 1, 1, 1, 0, 0.1f}, {2, 3, 2, 0, 2, 3, 0.2f, 0.3f}, {4, 4, 1, 0, 4, 4, 0.4f, 0.4f}}},
      {"ten frames in four buckets: width 4", indexed_frames(1, 10), 4, 0, true, 4,
       {{1, 4, 4, 0, 1, 4, 0.1f, 0.4f}, {5, 8, 4, 0, 5, 8, 0.5f, 0.8f},
        {9, 10, 2, 0, 9, 10, 0.9f, 1.0f}}},
      {"an odd limit keeps the unpaired bucket", indexed_frames(1, 4), 3, 0, true, 2,
       {{1, 2, 2, 0, 1, 2, 0.1f, 0.2f}, {3, 4, 2, 0, 3, 4, 0.3f, 0.4f}}},
      // Each bound of a merged bucket comes from either half: the later
      // half holds the lowest and the highest readings here.
      {"merged pairs keep the bounds of both halves",
       {make_frame(0, 0, 4, 2 * FEET_PER_METRE, 2), make_frame(0, 1, 4, 3 * FEET_PER_METRE, 3),
        make_frame(0, 2, 4, 1 * FEET_PER_METRE, 1), make_frame(0, 3, 4, 4 * FEET_PER_METRE, 4),
        make_frame(0, 4, 4, 0.5f * FEET_PER_METRE, 0.5f)},
       2, 0, true, 4,
       {{0, 3, 4, 0, 1, 4, 1, 4}, {4, 4, 1, 0, 0.5f, 0.5f, 0.5f, 0.5f}}},
      {"a limit of 1 makes one bucket of everything", indexed_frames(1, 5), 1, 0, true, 8,
       {{1, 5, 5, 0, 1, 5, 0.1f, 0.5f}}},
      {"limits below 1 are taken as 1", indexed_frames(1, 3), -5, 0, true, 4,
       {{1, 3, 3, 0, 1, 3, 0.1f, 0.3f}}},
      // Indices as recorded, whatever their order: the bucket tells its
      // first and last frame, not the smallest and largest index.
      {"indices out of order", {make_frame(0, 9), make_frame(0, 2), make_frame(0, 5)}, 1, 0, true,
       4, {{9, 5, 3, 0, 10 / FEET_PER_METRE, 10 / FEET_PER_METRE, 2, 2}}},
      {"frames without depth are counted, and a bucket of only those has none",
       {make_frame(0, 0, 4, 0, 1), make_frame(0, 1, 4, -3, NaN), make_frame(0, 2, 4, NaN, INF),
        make_frame(0, 3, 4, INF, -2), make_frame(0, 4, 4, 2 * FEET_PER_METRE, 0)},
       2, 0, true, 4,
       {{0, 3, 4, 4, NaN, NaN, -2, 1}, {4, 4, 1, 0, 2, 2, 0, 0}}},
      {"a depth under a foot is a depth", {make_frame(1, 0, 4, 0.5f, 1)}, 8, 1, true, 1,
       {{0, 0, 1, 0, 0.5f / FEET_PER_METRE, 0.5f / FEET_PER_METRE, 1, 1}}},
      {"a channel without any depth has none to draw",
       {make_frame(3, 0, 4, 0, NaN), make_frame(3, 1, 4, -INF, NaN)}, 8, 3, false, 1,
       {{0, 0, 1, 1, NaN, NaN, NaN, NaN}, {1, 1, 1, 1, NaN, NaN, NaN, NaN}}},
      // Channels above 5 have no profile and take no room in channel 5's.
      {"channels above 5 are passed over",
       {make_frame(5, 0), make_frame(6, 1), make_frame(65535, 2), make_frame(5, 3)}, 2, 5, true, 1,
       {{0, 0, 1, 0, 10 / FEET_PER_METRE, 10 / FEET_PER_METRE, 2, 2},
        {3, 3, 1, 0, 10 / FEET_PER_METRE, 10 / FEET_PER_METRE, 2, 2}}},
  };
  for (const profile_case& c : cases) {
    SCOPED_TRACE(c.name);
    test::pass_result r;
    std::unique_ptr<log_profile> p = profile_of(build_log(c.frames), c.max_buckets, r);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.printed, "");
    const channel_profile& ch = p->channels[c.channel];
    EXPECT_EQ(ch.has_depth, c.has_depth);
    EXPECT_EQ(ch.bucket_width, c.width);
    ASSERT_EQ(ch.bucket_count, static_cast<int>(c.buckets.size()));
    std::uint64_t frames = 0;
    for (std::size_t i = 0; i < c.buckets.size(); ++i) {
      SCOPED_TRACE("bucket " + std::to_string(i));
      const profile_bucket& b = ch.buckets[i];
      const bucket_case& e = c.buckets[i];
      EXPECT_EQ(b.first_frame_index, e.first);
      EXPECT_EQ(b.last_frame_index, e.last);
      EXPECT_EQ(b.frames, e.frames);
      EXPECT_EQ(b.missing_depth, e.missing);
      expect_same(b.min_depth, e.min_depth, "min depth");
      expect_same(b.max_depth, e.max_depth, "max depth");
      expect_same(b.min_speed, e.min_speed, "min speed");
      expect_same(b.max_speed, e.max_speed, "max speed");
      frames += b.frames;
    }
    EXPECT_EQ(ch.frames, frames);
    // Every other channel stays empty.
    for (std::size_t other = 0; other < CHANNEL_COUNT; ++other) {
      if (static_cast<int>(other) == c.channel) continue;
      EXPECT_EQ(p->channels[other].bucket_count, 0) << "channel " << other;
    }
  }
}

// Whatever the log's length, the buckets stay within the limit, cover every
// frame once and in order, and all but the last are of the full width.
TEST(profile_log, long_log_stays_within_the_limit) {
  const std::uint32_t count = 100000;
  test::pass_result r;
  std::unique_ptr<log_profile> p = profile_of(build_log(indexed_frames(0, count - 1)), 100000, r);
  ASSERT_EQ(r.result, 1);
  const channel_profile& ch = p->channels[0];
  EXPECT_EQ(ch.frames, count);
  EXPECT_EQ(ch.bucket_width, 32u);  // 100000 / 32 = 3125 buckets, 64 would halve that
  ASSERT_EQ(ch.bucket_count, 3125);
  std::uint32_t next = 0;
  for (int i = 0; i < ch.bucket_count; ++i) {
    const profile_bucket& b = ch.buckets[i];
    ASSERT_EQ(b.first_frame_index, next) << "bucket " << i;
    ASSERT_EQ(b.frames, 32u) << "bucket " << i;
    ASSERT_EQ(b.last_frame_index, next + 31) << "bucket " << i;
    ASSERT_NEAR(b.max_depth, static_cast<float>(next + 31), 1e-2f) << "bucket " << i;
    next += 32;
  }
}

// A channel holds up to 4096 buckets of one frame; one frame more halves
// them, however many the caller asks for.
TEST(profile_log, a_channel_holds_4096_buckets) {
  const struct {
    std::uint32_t frames;
    std::uint64_t width;
    int buckets;
  } cases[] = {{4096, 1, 4096}, {4097, 2, 2049}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frames);
    test::pass_result r;
    std::unique_ptr<log_profile> p = profile_of(build_log(indexed_frames(0, c.frames - 1)), 5000, r);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(p->channels[0].frames, c.frames);
    EXPECT_EQ(p->channels[0].bucket_width, c.width);
    EXPECT_EQ(p->channels[0].bucket_count, c.buckets);
  }
}

// A profile filled by an earlier walk, of another log, leaves nothing in
// the next one.
TEST(profile_log, each_walk_starts_afresh) {
  auto profile = std::make_unique<log_profile>();
  std::vector<frame_header> earlier = indexed_frames(1, 5);
  earlier.push_back(make_frame(2, 9));
  const bytes logs[] = {build_log(earlier), build_log({make_frame(0, 7, 4, 0, 1)})};
  for (const bytes& log : logs) {
    test::stream in = test::read_stream(log);
    ASSERT_EQ(profile_log(in.get(), 2, *profile), 1);
  }
  const channel_profile& ch = profile->channels[0];
  EXPECT_EQ(ch.frames, 1u);
  EXPECT_EQ(ch.bucket_width, 1u);
  ASSERT_EQ(ch.bucket_count, 1);
  EXPECT_FALSE(ch.has_depth);
  EXPECT_EQ(ch.buckets[0].first_frame_index, 7u);
  EXPECT_EQ(ch.buckets[0].frames, 1u);
  EXPECT_EQ(ch.buckets[0].missing_depth, 1u);
  EXPECT_EQ(profile->channels[2].frames, 0u);
  EXPECT_EQ(profile->channels[2].bucket_count, 0);
  EXPECT_FALSE(profile->channels[2].has_depth);
}

TEST(profile_log, frame_cut_off_by_the_end_counts_as_in_the_summary) {
  bytes log = build_log({make_frame(0, 0), make_frame(0, 1, 100)});
  log.resize(log.size() - 50);
  test::pass_result r;
  std::unique_ptr<log_profile> p = profile_of(log, 16, r);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(p->channels[0].frames, 2u);
  EXPECT_EQ(p->channels[0].buckets[1].first_frame_index, 1u);
}

TEST(profile_log, short_files_have_no_frames) {
  for (std::size_t size : {0, 5, 8, 8 + 143}) {
    SCOPED_TRACE(size);
    bytes log = build_log({make_frame(0, 0)});
    log.resize(size);
    test::pass_result r;
    std::unique_ptr<log_profile> p = profile_of(log, 16, r);
    EXPECT_EQ(r.result, 1);
    for (const channel_profile& ch : p->channels) EXPECT_EQ(ch.bucket_count, 0);
  }
}

TEST(profile_log, read_error_is_reported) {
  bytes log = build_log(indexed_frames(0, 99));
  for (std::size_t good : {std::size_t{0}, std::size_t{4}, log.size() / 2}) {
    SCOPED_TRACE(good);
    auto profile = std::make_unique<log_profile>();
    test::stream in = test::failing_read_stream(log, good);
    testing::internal::CaptureStdout();
    EXPECT_EQ(profile_log(in.get(), 16, *profile), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Read error!\n");
  }
}

}  // namespace
}  // namespace logtrim
