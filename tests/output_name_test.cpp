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

}  // namespace
}  // namespace logtrim
