// Logs and command lines that no recorder writes, run through the built
// logtrim: the exact output and exit status, the copy it writes, and the
// log left byte for byte as it was. A directory, a FIFO and a path that does
// not exist as the log are in end_to_end_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "support/log_builder.h"
#include "support/run_process.h"

namespace logtrim {
namespace {

namespace fs = std::filesystem;
using test::bytes;
using test::make_frame;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();

// A log whose position and order fields already describe it, so that a copy
// of all of it, from frame index 0 on, is the log itself.
bytes consistent_log(const std::vector<frame_header>& frames) {
  bytes log = test::BUILT_FILE_HEADER;
  std::uint32_t latest[CHANNEL_COUNT] = {};
  std::uint16_t previous_block_size = 0;
  for (frame_header h : frames) {
    std::uint32_t position = static_cast<std::uint32_t>(log.size());
    if (h.channel < CHANNEL_COUNT) latest[h.channel] = position;
    h.frame_offset = position;
    std::copy(std::begin(latest), std::end(latest), h.last_frame_offset);
    h.previous_block_size = previous_block_size;
    previous_block_size = h.block_size;
    test::append_frame(log, h);
  }
  return log;
}

bytes concat(bytes a, const bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

bytes first_bytes(const bytes& b, std::size_t n) { return bytes(b.begin(), b.begin() + static_cast<long>(n)); }

// The three report lines of a channel whose frames all hold the builder's
// depth of 10 feet and speed of 2.
std::string plain_report(const char* name, const char* sounds) {
  return std::string("=== ") + name + ": " + sounds + " sounds\n" +
         "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
         "Speed: from   2.0 to   2.0\n";
}
const char* const PRIMARY = "Primary (Tranditional Sonar)";
const char* const DSI = "DSI (DownScan Imaging)";
const std::string SIZE_ERROR = "\nsize error!\n";

const bytes ONE_FRAME = consistent_log({make_frame(0, 0)});

struct bad_log_case {
  const char* name;
  bytes log;
  std::string summary;  // printed by both runs
  bytes copy;           // written by the copy run of every frame index
};

std::vector<bad_log_case> bad_log_cases() {
  std::vector<bad_log_case> cases = {
      // A log shorter than the file header has no frames; its copy is the
      // bytes there are, completed with zeros.
      {"empty file", {}, "", bytes(8, 0)},
      {"header alone", test::BUILT_FILE_HEADER, "", test::BUILT_FILE_HEADER},
      // A frame that the end of the file cuts into is left out of the copy.
      // The summary counts it when its header is whole.
      {"frame header cut short",
       concat(ONE_FRAME, first_bytes(test::encoded(make_frame(0, 1)), 100)),
       plain_report(PRIMARY, "1"), ONE_FRAME},
      {"frame data cut short",
       first_bytes(consistent_log({make_frame(0, 0), make_frame(0, 1, 500)}),
                   ONE_FRAME.size() + 144 + 300),
       plain_report(PRIMARY, "2"), ONE_FRAME},
      // Frames over the 10000-byte buffer are reported, still read, and
      // copied whole.
      {"packet_size 0", consistent_log({make_frame(0, 0, 0), make_frame(2, 1, 0)}),
       plain_report(PRIMARY, "1") + plain_report(DSI, "2"), {}},
      {"packet_size 10000", consistent_log({make_frame(0, 0, 10000), make_frame(0, 1)}),
       plain_report(PRIMARY, "2"), {}},
      {"packet_size 10001", consistent_log({make_frame(0, 0, 10001), make_frame(0, 1)}),
       SIZE_ERROR + plain_report(PRIMARY, "2"), {}},
      {"packet_size 65535", consistent_log({make_frame(2, 0, 65535), make_frame(0, 1)}),
       SIZE_ERROR + plain_report(PRIMARY, "2") + plain_report(DSI, "1"), {}},
      // Channels above 5 are not reported, and are copied without a slot in
      // the table of latest frames.
      {"channels 6, 7 and 65535",
       consistent_log({make_frame(6, 0), make_frame(0, 1), make_frame(7, 2), make_frame(65535, 3)}),
       plain_report(PRIMARY, "2"), {}},
      {"largest frame indices",
       consistent_log({make_frame(0, 2147483647), make_frame(2, 4294967295)}),
       plain_report(PRIMARY, "2147483648") + plain_report(DSI, "4294967296"), {}},
      // Readings that are no real depth are counted, never shown; speeds
      // that are not finite are passed over.
      {"depths and speeds of 0, negative, NaN and infinity",
       consistent_log({make_frame(0, 0, 4, 0, 0), make_frame(0, 1, 4, -32.8084f, -3),
                       make_frame(0, 2, 4, NaN, NaN), make_frame(0, 3, 4, INF, INF),
                       make_frame(0, 4, 4, -INF, -INF), make_frame(2, 0, 4, NaN, NaN),
                       make_frame(2, 1, 4, 32.8084f, INF), make_frame(2, 2, 4, 0, -INF)}),
       "=== Primary (Tranditional Sonar): 5 sounds\n"
       "Depth: from   0.0 m to   0.0 m; 0 depth count = 5\n"
       "Speed: from  -3.0 to   0.0\n"
       "=== DSI (DownScan Imaging): 3 sounds\n"
       "Depth: from  10.0 m to  10.0 m; 0 depth count = 2\n"
       "Speed: from   0.0 to   0.0\n",
       {}},
  };
  for (std::size_t n = 1; n < 8; ++n) {
    bytes cut = first_bytes(test::BUILT_FILE_HEADER, n);
    bytes copy = cut;
    copy.resize(8, 0);
    cases.push_back({"file of 1 to 7 bytes", cut, "", copy});
  }
  // Where no copy is given, the log is consistent and copied as it is.
  for (bad_log_case& c : cases)
    if (c.copy.empty()) c.copy = c.log;
  return cases;
}

TEST(bad_input, logs) {
  for (const bad_log_case& c : bad_log_cases()) {
    SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(c.log.size()) + " bytes");
    test::temp_dir dir;
    test::write_file(dir.path / "bad.sl2", c.log);

    test::process_result summary = test::run_logtrim({"bad.sl2"}, dir.path);
    EXPECT_EQ(summary.out, c.summary);
    EXPECT_EQ(summary.status, 0);
    EXPECT_FALSE(fs::exists(dir.path / "bad_0--1.sl2"));

    test::process_result copy = test::run_logtrim({"-c", "0:-1", "bad.sl2"}, dir.path);
    EXPECT_EQ(copy.out, c.summary + "Output file: bad_0--1.sl2\n");
    EXPECT_EQ(copy.status, 0);
    EXPECT_EQ(test::read_file(dir.path / "bad_0--1.sl2"), c.copy);

    EXPECT_EQ(test::read_file(dir.path / "bad.sl2"), c.log);
  }
}

const bytes TWO_CHANNELS = consistent_log({make_frame(0, 0), make_frame(2, 0), make_frame(0, 1)});

struct bad_args_case {
  std::string name;
  std::vector<std::string> args;
  std::string out;
  int status;
  const char* copy_name;  // nullptr when no copy may be written
  bytes copy;
};

std::vector<bad_args_case> bad_args_cases() {
  // 1,000 options of three kinds; the last range and every letter count.
  std::vector<std::string> many;
  for (int i = 0; i < 1000; ++i) {
    if (i % 3 == 0) many.insert(many.end(), {"-d", "p"});
    if (i % 3 == 1) many.insert(many.end(), {"-c", std::to_string(i) + ":-1"});
    if (i % 3 == 2) many.push_back("-x");
  }
  std::vector<std::string> many_with_log = many;
  many_with_log.push_back("two.sl2");

  // 100,000 letters, or as many as the host's command line holds with room
  // for the rest (Windows: 32,767 characters in all).
  const std::string letters(std::min<std::size_t>(100000, test::longest_command_line() - 100), 's');
  const std::string length = std::to_string(letters.size());
  const std::string p_deleted =
      "=== Primary (Tranditional Sonar): 2 sounds - be deleted\n"
      "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
      "Speed: from   2.0 to   2.0\n";
  const std::string s_deleted_none_shown = plain_report(PRIMARY, "2") + plain_report(DSI, "1");

  return {
      {"1,000 options before the log", many_with_log,
       p_deleted + plain_report(DSI, "1") + "Output file: two_997--1.sl2\n", 0, "two_997--1.sl2",
       test::BUILT_FILE_HEADER},
      {"1,000 options and no log", many, "Usage: logtrim [-o start:end -d [PDS]] file\n", 0,
       nullptr, {}},
      {"letters word of " + length + " characters", {"-c", "0:-1", "-d", letters, "two.sl2"},
       s_deleted_none_shown + "Output file: two_0--1.sl2\n", 0, "two_0--1.sl2", TWO_CHANNELS},
      {"letters word of " + length + " characters and one wrong", {"-d", letters + "x", "two.sl2"},
       "Wrong delete channel argument\n", 1, nullptr, {}},
  };
}

TEST(bad_input, command_lines) {
  for (const bad_args_case& c : bad_args_cases()) {
    SCOPED_TRACE(c.name);
    test::temp_dir dir;
    test::write_file(dir.path / "two.sl2", TWO_CHANNELS);

    test::process_result r = test::run_logtrim(c.args, dir.path);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, c.status);

    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path)) names.push_back(test::utf8_name(e.path().filename()));
    std::vector<std::string> expected_names = {"two.sl2"};
    if (c.copy_name) expected_names.push_back(c.copy_name);
    std::sort(names.begin(), names.end());
    std::sort(expected_names.begin(), expected_names.end());
    EXPECT_EQ(names, expected_names);
    if (c.copy_name) {
      EXPECT_EQ(test::read_file(dir.path / c.copy_name), c.copy);
    }
    EXPECT_EQ(test::read_file(dir.path / "two.sl2"), TWO_CHANNELS);
  }
}

}  // namespace
}  // namespace logtrim
