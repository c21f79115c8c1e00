#include "cli/output_name.h"

#include <gtest/gtest.h>

namespace logtrim {
namespace {

TEST(make_output_name, drops_the_last_four_bytes_whatever_they_are) {
  struct {
    const char* path;
    std::uint32_t start, end;
    const char* name;
  } cases[] = {
      {"trip.sl2", 10, 20, "trip_10-20.sl2"},
      {"trip.sl2", 0, 0, "trip_0-0.sl2"},
      {"trip.sl2", 5, 0xFFFFFFFF, "trip_5--1.sl2"},
      {"trip.sl2", 0x80000000u, 0xFFFFFFFF, "trip_-2147483648--1.sl2"},
      {"ab", 1, 2, "ab_1-2.sl2"},
      {"", 1, 2, "_1-2.sl2"},
      {"abcd", 1, 2, "_1-2.sl2"},
      {"data.bin", 1, 2, "data_1-2.sl2"},
      {"x.jpeg", 1, 2, "x._1-2.sl2"},
      {"dir/x.sl2", 1, 2, "dir/x_1-2.sl2"},
      {"dir/abc", 1, 2, "dir_1-2.sl2"},
  };
  for (const auto& c : cases) EXPECT_EQ(make_output_name(c.path, c.start, c.end), c.name);
}

TEST(make_output_name, long_paths_are_never_cut) {
  std::string path = std::string(5000, 'a') + ".sl2";
  EXPECT_EQ(make_output_name(path.c_str(), 1, 2), std::string(5000, 'a') + "_1-2.sl2");
}

TEST(time_name, minutes_below_an_hour_hours_from_one_on_and_fractions) {
  struct {
    std::uint32_t ms;
    const char* name;
  } cases[] = {
      {0, "0m00s"},
      {1000, "0m01s"},
      {605000, "10m05s"},
      {3599999, "59m59.999s"},
      {3600000, "1h00m00s"},
      {3725000, "1h02m05s"},
      {90500, "1m30.5s"},
      {90250, "1m30.25s"},
      {90125, "1m30.125s"},
      {90010, "1m30.01s"},
      {90001, "1m30.001s"},
      {360000000, "100h00m00s"},
      {4294967295u, "1193h02m47.295s"},
  };
  for (const auto& c : cases) EXPECT_EQ(time_name(c.ms), c.name) << c.ms;
}

TEST(make_time_output_name, the_stem_then_both_times_or_end) {
  EXPECT_EQ(make_time_output_name("trip.sl2", 600000, 1530000, false), "trip_10m00s-25m30s.sl2");
  EXPECT_EQ(make_time_output_name("trip.sl2", 90500, 4294967295u, true), "trip_1m30.5s-end.sl2");
  EXPECT_EQ(make_time_output_name("dir/x.sl2", 0, 3725000, false), "dir/x_0m00s-1h02m05s.sl2");
  EXPECT_EQ(make_time_output_name("data.bin", 1000, 2000, false), "data_0m01s-0m02s.sl2");
  EXPECT_EQ(make_time_output_name("ab", 0, 1, false), "ab_0m00s-0m00.001s.sl2");
  EXPECT_EQ(make_time_output_name("dir/abc", 0, 0, true), "dir_0m00s-end.sl2");
}

}  // namespace
}  // namespace logtrim
