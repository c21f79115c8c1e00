// process_log over logs whose reads fail part way, through the host of
// support/host_failing_log.cpp: each log's stream reports a read error
// where its file ends. A result of 0 is what main turns into exit status 1.
#include "cli/process_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/platform.h"
#include "sonarlog/run_options.h"
#include "support/log_builder.h"
#include "support/temp_files.h"

namespace logtrim {
namespace {

namespace fs = std::filesystem;
using test::bytes;
using test::make_frame;

const bytes LOG =
    test::build_log({make_frame(0, 0, 100), make_frame(2, 0, 100), make_frame(0, 1, 100)});

// Runs process_log on the first `good_bytes` of LOG, whose next read fails
// (all of LOG: the read at its end fails), as a summary run and as a copy
// run of every frame: each prints the read error alone, fails, and leaves
// no copy beside the log.
void expect_read_error_after(std::size_t good_bytes) {
  for (bool info_only : {true, false}) {
    SCOPED_TRACE(std::to_string(good_bytes) + (info_only ? " bytes, summary run" : " bytes, copy run"));
    test::temp_dir dir;
    test::write_file(dir.path / "trip.sl2", bytes(LOG.begin(), LOG.begin() + static_cast<long>(good_bytes)));
    std::string path = test::utf8_name(dir.path / "trip.sl2");
    run_options = {.cut_start = 0, .cut_end = 0xFFFFFFFF, .info_only = info_only};
    testing::internal::CaptureStdout();
    int result = process_log(path.c_str());
    std::string printed = testing::internal::GetCapturedStdout();
    run_options = {};
    EXPECT_EQ(printed, "Read error!\n");
    EXPECT_EQ(result, 0);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path)) names.push_back(test::utf8_name(e.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"trip.sl2"});
  }
}

// Where the failing stream keeps its good bytes in the stream's own buffer
// (Windows), the log's unbuffered reads never see them: its logs fail at
// byte 0, whatever their length.
bool logs_fail_where_their_files_end() {
  test::temp_dir dir;
  test::write_file(dir.path / "three", {1, 2, 3});
  std::FILE* log = open_log_file(test::utf8_name(dir.path / "three").c_str());
  if (!log) return false;
  std::setvbuf(log, nullptr, _IONBF, 0);
  unsigned char got[3];
  bool whole = std::fread(got, 1, sizeof got, log) == sizeof got;
  std::fclose(log);
  return whole;
}

const char* const FAILS_AT_BYTE_0 =
    "this host's failing stream drops its good bytes once the log is unbuffered";

TEST(process_log, read_error_on_the_file_header_ends_the_run) {
  expect_read_error_after(0);
  if (!logs_fail_where_their_files_end()) GTEST_SKIP() << FAILS_AT_BYTE_0;
  expect_read_error_after(4);
}

TEST(process_log, read_error_during_the_summary_fails_the_run) {
  if (!logs_fail_where_their_files_end()) GTEST_SKIP() << FAILS_AT_BYTE_0;
  for (std::size_t good_bytes : {std::size_t{8}, std::size_t{8 + 144 + 50}, LOG.size()})
    expect_read_error_after(good_bytes);
}

}  // namespace
}  // namespace logtrim
