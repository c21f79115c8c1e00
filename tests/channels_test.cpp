#include "sonarlog/channels.h"

#include <gtest/gtest.h>

#include <string>

#include "sonarlog/run_options.h"

namespace logtrim {
namespace {

TEST(channel_name, named_channels_and_invalid_above_5) {
  const char* names[] = {"Primary (Tranditional Sonar)", "Secondary (Tranditional Sonar)",
                         "DSI (DownScan Imaging)",       "Left (Sidescan)",
                         "Right (Sidescan)",             "Composite (Sidescan)"};
  for (std::uint16_t c = 0; c < 6; ++c) EXPECT_STREQ(channel_name(c), names[c]);
  for (std::uint16_t c : {6, 7, 65535}) EXPECT_STREQ(channel_name(c), "Invalid");
}

TEST(is_channel_deleted, each_letter_covers_its_group_only) {
  struct {
    bool p, d, s;
    const char* deleted;  // channels 0..7
  } cases[] = {
      {false, false, false, "--------"}, {true, false, false, "xx------"},
      {false, true, false, "--x-----"},  {false, false, true, "---xxx--"},
      {true, true, true, "xxxxxx--"},
  };
  for (const auto& c : cases) {
    run_options = {.delete_traditional = c.p, .delete_downscan = c.d, .delete_sidescan = c.s};
    std::string deleted;
    for (std::uint16_t ch = 0; ch < 8; ++ch) deleted += is_channel_deleted(ch) ? 'x' : '-';
    EXPECT_EQ(deleted, c.deleted);
    EXPECT_FALSE(is_channel_deleted(65535));
  }
  run_options = {};
}

}  // namespace
}  // namespace logtrim
