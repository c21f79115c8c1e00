// The page's entry points, built for this host: what the page is told
// before it saves must be what the copy then holds.
#include "web/page_api.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sonarlog/run_options.h"
#include "support/log_builder.h"
#include "support/run_process.h"
#include "support/streams.h"

namespace logtrim {
namespace {

using test::bytes;
using test::make_frame;

struct call_result {
  int status;
  std::string printed;
};

// Calls `entry` with "logtrim" and `args` as its argv.
call_result call(int (*entry)(int, char**), std::vector<std::string> args) {
  args.insert(args.begin(), "logtrim");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  int status = entry(static_cast<int>(args.size()), argv.data());
  return {status, testing::internal::GetCapturedStdout()};
}

// Frames of three channels, one of them above 5, one cut short at the end.
bytes sample_log() {
  std::vector<frame_header> frames;
  for (std::uint32_t i = 0; i < 40; ++i) {
    frames.push_back(make_frame(0, i, static_cast<std::uint16_t>(i * 7)));
    frames.push_back(make_frame(2, i, 300));
    if (i % 4 == 0) frames.push_back(make_frame(9, i, 20));
  }
  bytes log = test::build_log(frames);
  log.resize(log.size() - 10);
  return log;
}

TEST(page_plan, tells_what_the_copy_holds) {
  const bytes log = sample_log();
  test::temp_dir dir;
  std::string path = (dir.path / "trip.sl2").string();
  test::write_file(path, log);
  const std::vector<std::vector<std::string>> option_sets = {
      {"-c", "0:-1"}, {"-c", "5:20", "-d", "p"}, {"-c", "1:2", "-d", "pds"},
      {"-x"},         {"-c", "39:-1", "-d", "d"}, {"-c", "100:200"}};
  for (std::vector<std::string> args : option_sets) {
    SCOPED_TRACE(testing::PrintToString(args));
    args.push_back(path);
    call_result r = call(page_plan, args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.printed, "");
    double frames = page_plan_frames();
    double bytes_planned = page_plan_bytes();

    // The copy that the tool's cut writes with the options that the plan
    // read, which stay in place after it.
    test::pass_result cut = test::run_cut(log);
    EXPECT_EQ(bytes_planned, static_cast<double>(cut.copy.size()));
    EXPECT_EQ(frames, static_cast<double>(test::decode_frames(cut.copy).size()));
    run_options = {};
  }
}

TEST(page_plan, refusals_print_the_tools_message) {
  test::temp_dir dir;
  std::string path = (dir.path / "trip.sl2").string();
  test::write_file(path, sample_log());
  struct refusal {
    std::vector<std::string> args;
    int status;
    std::string printed;
  };
  const refusal cases[] = {
      {{"-c", "10:10", path}, 1, "Wrong cut argument\n"},
      {{"-d", "px", path}, 1, "Wrong delete channel argument\n"},
      {{"-c", "1:2", path + ".missing"}, 1, "Can't open file " + path + ".missing\n"},
      {{"-c", "1:2", dir.path.string()}, 1, "Can't open file " + dir.path.string() + "\n"},
      {{"-c", "1:2"}, 0, "Usage: logtrim [-o start:end -d [PDS]] file\n"},
      // The log alone is a summary run: it writes no copy.
      {{path}, 0, ""},
  };
  for (const refusal& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    call_result r = call(page_plan, c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.printed, c.printed);
    EXPECT_EQ(page_plan_frames(), 0);
    EXPECT_EQ(page_plan_bytes(), 0);
  }
}

TEST(page_main, runs_the_tool_from_the_default_options) {
  test::temp_dir dir;
  std::string path = (dir.path / "trip.sl2").string();
  test::write_file(path, test::build_log({make_frame(0, 0), make_frame(2, 0)}));
  const std::string summary =
      "=== Primary (Tranditional Sonar): 1 sounds\n"
      "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
      "Speed: from   2.0 to   2.0\n"
      "=== DSI (DownScan Imaging): 1 sounds";
  call_result r = call(page_main, {"-d", "d", "-c", "0:5", path + ".missing"});
  EXPECT_EQ(r.status, 1);
  // No letter of the run before is left over.
  r = call(page_main, {path});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.printed, summary + "\nDepth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
                                 "Speed: from   2.0 to   2.0\n");
  EXPECT_STREQ(page_copy_name(), "");
}

TEST(page_profile, buckets_and_messages) {
  test::temp_dir dir;
  std::string path = (dir.path / "trip.sl2").string();
  test::write_file(path, sample_log());
  testing::internal::CaptureStdout();
  int total = page_profile(path.c_str(), 16);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  // 40 frames of channels 0 and 2 each in at most 16 buckets: 10 of 4.
  EXPECT_EQ(page_profile_bucket_count(0), 10);
  EXPECT_EQ(page_profile_bucket_count(2), 10);
  EXPECT_EQ(total, 20);
  EXPECT_EQ(page_profile_bucket_count(1), 0);
  EXPECT_EQ(page_profile_bucket_count(9), 0);
  EXPECT_EQ(page_profile_frames(0), 40);
  EXPECT_EQ(page_profile_bucket_width(2), 4);
  EXPECT_EQ(page_profile_first_frame(2, 9), 36);
  EXPECT_EQ(page_profile_last_frame(2, 9), 39);
  EXPECT_EQ(page_profile_bucket_frames(0, 3), 4);
  EXPECT_EQ(page_profile_missing_depth(0, 3), 0);
  EXPECT_NEAR(page_profile_min_depth(0, 0), 3.048, 1e-3);
  EXPECT_NEAR(page_profile_max_speed(0, 0), 2, 1e-6);
  // Outside the profile there is nothing.
  EXPECT_TRUE(std::isnan(page_profile_min_depth(0, 10)));
  EXPECT_TRUE(std::isnan(page_profile_first_frame(6, 0)));
  EXPECT_TRUE(std::isnan(page_profile_max_speed(-1, 0)));

  testing::internal::CaptureStdout();
  EXPECT_EQ(page_profile("nothing.sl2", 16), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open file nothing.sl2\n");
  EXPECT_EQ(page_profile_bucket_count(0), 0);
}

TEST(page_channels, names_and_letters_from_the_library) {
  const char* names[] = {"Primary (Tranditional Sonar)", "Secondary (Tranditional Sonar)",
                         "DSI (DownScan Imaging)",       "Left (Sidescan)",
                         "Right (Sidescan)",             "Composite (Sidescan)",
                         "Invalid"};
  const int letters[] = {'P', 'P', 'D', 'S', 'S', 'S', 0};
  run_options = {.delete_downscan = true, .cut_start = 3, .cut_end = 9};
  for (int channel = 0; channel < 7; ++channel) {
    SCOPED_TRACE(channel);
    EXPECT_STREQ(page_channel_name(channel), names[channel]);
    EXPECT_EQ(page_channel_group(channel), letters[channel]);
  }
  EXPECT_EQ(page_channel_group(65535), 0);
  // Asking changes no option of the run.
  EXPECT_TRUE(run_options.delete_downscan);
  EXPECT_FALSE(run_options.delete_traditional || run_options.delete_sidescan);
  EXPECT_EQ(run_options.cut_end, 9u);
  run_options = {};
}

}  // namespace
}  // namespace logtrim
