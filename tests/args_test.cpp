#include "cli/args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sonarlog/run_options.h"

namespace logtrim {
namespace {

constexpr int GO_ON = -1;
const std::string USAGE = std::string(USAGE_LINE) + "\n";
const std::string BAD_LETTERS = "Wrong delete channel argument\n";
const std::string BAD_CUT = "Wrong cut argument\n";
const std::string BAD_TIME = "Wrong time argument\n";

struct args_case {
  std::vector<std::string> args;
  int status;           // GO_ON when a log is to be processed
  std::string printed;  // what the parser itself prints
  std::string log_path;
  std::string flags;    // delete flags set, as letters "PDS"
  std::uint32_t cut_start = 0;
  std::uint32_t cut_end = 0;
  bool info_only = false;
};

std::string flags_of(const run_options_record& o) {
  std::string s;
  if (o.delete_traditional) s += 'P';
  if (o.delete_downscan) s += 'D';
  if (o.delete_sidescan) s += 'S';
  return s;
}

const std::string LONG_LETTERS(100000, 's');

const args_case CASES[] = {
    // The outcome table.
    {{}, 0, USAGE, "", ""},
    {{"-d", "s"}, 0, USAGE, "", "S"},
    {{"-d"}, GO_ON, "", "-d", "", 0, 0, true},
    {{"trip.sl2"}, GO_ON, "", "trip.sl2", "", 0, 0, true},
    {{"-c", "1:2", "-d"}, 1, BAD_LETTERS, "", "", 1, 2},
    {{"-d", "px", "trip.sl2"}, 1, BAD_LETTERS, "", "P"},
    {{"-c", "10:10", "trip.sl2"}, 1, BAD_CUT, "", ""},
    {{"-c", "20:10", "trip.sl2"}, 1, BAD_CUT, "", ""},
    // One argument is the path, whatever it looks like.
    {{"-c"}, GO_ON, "", "-c", "", 0, 0, true},
    // The file name ends the options; nothing after it is read.
    {{"trip.sl2", "-c", "1:5"}, GO_ON, "", "trip.sl2", ""},
    {{"-c", "100:200", "-d", "s", "trip.sl2"}, GO_ON, "", "trip.sl2", "S", 100, 200},
    {{"-d", "sp", "trip.sl2"}, GO_ON, "", "trip.sl2", "PS"},
    {{"-D", "PdS", "trip.sl2"}, GO_ON, "", "trip.sl2", "PDS"},
    {{"-delete", "d", "-Cut", "3:4", "trip.sl2"}, GO_ON, "", "trip.sl2", "D", 3, 4},
    // Letters of several -d add up; a later -c replaces an earlier one.
    {{"-d", "p", "-d", "d", "-c", "1:9", "-c", "5:6", "x"}, GO_ON, "", "x", "PD", 5, 6},
    // A negative start compares as a huge unsigned number; -1 as the end
    // means "to the end".
    {{"-c", "-5:10", "trip.sl2"}, 1, BAD_CUT, "", ""},
    {{"-c", "5:-1", "trip.sl2"}, GO_ON, "", "trip.sl2", "", 5, 0xFFFFFFFFu},
    {{"-c", "-2:-1", "t"}, GO_ON, "", "t", "", 0xFFFFFFFEu, 0xFFFFFFFFu},
    // "%d:%d": white space before each number, the colon right after the
    // first, anything after the second number ignored.
    {{"-c", "1: 5", "t"}, GO_ON, "", "t", "", 1, 5},
    {{"-c", " +1:\t5xyz", "t"}, GO_ON, "", "t", "", 1, 5},
    {{"-c", "1 :5", "t"}, 1, BAD_CUT, "", ""},
    {{"-c", "1:", "t"}, 1, BAD_CUT, "", ""},
    {{"-c", ":5", "t"}, 1, BAD_CUT, "", ""},
    {{"-c", "1:+", "t"}, 1, BAD_CUT, "", ""},
    {{"-c", "", "t"}, 1, BAD_CUT, "", ""},
    // Numbers outside the signed 32-bit range are refused, not wrapped.
    {{"-c", "0:2147483647", "t"}, GO_ON, "", "t", "", 0, 2147483647u},
    {{"-c", "-2147483648:-1", "t"}, GO_ON, "", "t", "", 0x80000000u, 0xFFFFFFFFu},
    {{"-c", "0:2147483648", "t"}, 1, BAD_CUT, "", ""},
    {{"-c", "-2147483649:-1", "t"}, 1, BAD_CUT, "", ""},
    {{"-c", "0:99999999999999999999", "t"}, 1, BAD_CUT, "", ""},
    // A -c with nothing after it is skipped and the arguments run out.
    {{"-c", "1:2", "-c"}, 0, USAGE, "", "", 1, 2},
    // Unknown options are skipped alone, so -o's value becomes the path.
    {{"-x", "trip.sl2"}, GO_ON, "", "trip.sl2", ""},
    {{"-o", "10:20", "trip.sl2"}, GO_ON, "", "10:20", ""},
    {{"-", "trip.sl2"}, GO_ON, "", "trip.sl2", ""},
    // A value glued to the option is not read: the next argument is.
    {{"-c10:20", "trip.sl2"}, 1, BAD_CUT, "", ""},
    {{"-ds", "trip.sl2"}, 1, BAD_LETTERS, "", ""},
    // The letters are the first word of the argument.
    {{"-d", "P S", "t"}, GO_ON, "", "t", "P"},
    {{"-d", "  s\tp", "t"}, GO_ON, "", "t", "S"},
    {{"-d", "", "t"}, 1, BAD_LETTERS, "", ""},
    {{"-d", " \t ", "t"}, 1, BAD_LETTERS, "", ""},
    {{"-d", LONG_LETTERS, "t"}, GO_ON, "", "t", "S"},
    {{"-d", LONG_LETTERS + "x", "t"}, 1, BAD_LETTERS, "", "S"},
};

// What parse_args made of the arguments.
struct parsed {
  int status = 0;
  std::string printed;
  std::string log_path;
};

// The arguments as a trace shows them, each cut at 20 characters.
std::string shown(const std::vector<std::string>& args) {
  std::string s;
  // Appended piece by piece: "[" + ... + "]" sets off a false -Wrestrict
  // in the optimised builds of GCC 12.
  for (const std::string& a : args) s.append("[").append(a, 0, 20).append("]");
  return s;
}

parsed parse(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"logtrim"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  run_options = {};
  const char* log_path = nullptr;

  testing::internal::CaptureStdout();
  int status = parse_args(static_cast<int>(args.size() + 1), argv.data(), &log_path);
  std::string printed = testing::internal::GetCapturedStdout();
  return {status, printed, log_path ? log_path : ""};
}

TEST(parse_args, outcome_table) {
  for (const args_case& c : CASES) {
    SCOPED_TRACE(shown(c.args));
    parsed p = parse(c.args);
    int status = p.status;
    std::string printed = p.printed;
    const char* log_path = p.log_path.empty() ? nullptr : p.log_path.c_str();

    EXPECT_EQ(status, c.status);
    EXPECT_EQ(printed, c.printed);
    EXPECT_EQ(log_path ? log_path : "", c.log_path);
    EXPECT_EQ(flags_of(run_options), c.flags);
    EXPECT_EQ(run_options.cut_start, c.cut_start);
    EXPECT_EQ(run_options.cut_end, c.cut_end);
    EXPECT_EQ(run_options.info_only, c.info_only);
    EXPECT_FALSE(run_options.cut_by_time);
  }
}

constexpr std::uint32_t LARGEST_MS = 4294967295u;

// The value of -t, FROM-TO: what is read, in milliseconds, and what is
// refused.
struct time_case {
  const char* value;
  bool accepted;
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  bool to_end = false;
};

const time_case TIME_CASES[] = {
    // Each form, with fractions of one, two and three digits.
    {"90-100", true, 90000, 100000},
    {"90.5-91", true, 90500, 91000},
    {"1:30-1:30.25", true, 90000, 90250},
    {"10:00-25:30", true, 600000, 1530000},
    {"1:05:00.250-2:00:00.001", true, 3900250, 7200001},
    {"0-0.001", true, 0, 1},
    {"007-0:08", true, 7000, 8000},
    // Minutes and hours of any number of digits; 60 and more whole seconds.
    {"60-61", true, 60000, 61000},
    {"60:00-100:00:00", true, 3600000, 360000000},
    {"0:59-1:00:59.999", true, 59000, 3659999},
    // TO left out: to the end of the log.
    {"10:00-", true, 600000, LARGEST_MS, true},
    {"0-", true, 0, LARGEST_MS, true},
    // The largest time, and one millisecond more.
    {"0-4294967.295", true, 0, LARGEST_MS},
    {"4294967.295-", true, LARGEST_MS, LARGEST_MS, true},
    {"1193:02:47.295-", true, LARGEST_MS, LARGEST_MS, true},
    {"0-4294967.296", false},
    {"4294967.296-", false},
    {"1193:02:47.296-", false},
    {"0-99999999999999999999999", false},
    // 60 in a seconds or minutes field after a colon; fields of one digit
    // or three.
    {"1:60-2:00", false},
    {"1:00:60-2:00:00", false},
    {"1:60:00-2:00:00", false},
    {"1:5-2", false},
    {"1:005-2", false},
    {"1:2:03-4:00:00", false},
    {"1:02:03:04-5:00:00:00", false},
    // Fractions of no digit or of four.
    {"1.-2", false},
    {"1.2345-2", false},
    {".5-2", false},
    // FROM must lie below TO.
    {"10-10", false},
    {"10.001-10", false},
    {"25:30-10:00", false},
    // Blanks, signs, empty parts, other characters.
    {"", false},
    {"-", false},
    {"-10", false},
    {"10", false},
    {" 1-2", false},
    {"1 -2", false},
    {"1- 2", false},
    {"1-2 ", false},
    {"+1-2", false},
    {"1--2", false},
    {"1-2-3", false},
    {"1:-2", false},
    {"1,5-2", false},
    {"1e3-2000", false},
    {"1m-2m", false},
};

TEST(parse_args, time_span_table) {
  for (const time_case& c : TIME_CASES) {
    SCOPED_TRACE(c.value);
    parsed p = parse({"-t", c.value, "trip.sl2"});
    if (!c.accepted) {
      EXPECT_EQ(p.status, 1);
      EXPECT_EQ(p.printed, BAD_TIME);
      EXPECT_FALSE(run_options.cut_by_time);
      continue;
    }
    EXPECT_EQ(p.status, GO_ON);
    EXPECT_EQ(p.printed, "");
    EXPECT_EQ(p.log_path, "trip.sl2");
    EXPECT_TRUE(run_options.cut_by_time);
    EXPECT_EQ(run_options.time_from, c.from);
    EXPECT_EQ(run_options.time_to, c.to);
    EXPECT_EQ(run_options.time_to_end, c.to_end);
  }
}

// The last of -c and -t decides the selection; -d adds up with either.
TEST(parse_args, last_range_option_decides) {
  struct {
    std::vector<std::string> args;
    int status;
    std::string printed;
    bool by_time;
    std::string flags;
  } cases[] = {
      {{"-c", "1:5", "-t", "1-2", "t"}, GO_ON, "", true, ""},
      {{"-t", "1-2", "-c", "1:5", "t"}, GO_ON, "", false, ""},
      {{"-c", "1:5", "-T", "1-2", "-C", "3:4", "t"}, GO_ON, "", false, ""},
      {{"-d", "s", "-time", "40:00-55:00", "-d", "p", "t"}, GO_ON, "", true, "PS"},
      // -t with no value is refused, unlike -c, which is then skipped.
      {{"-c", "1:5", "-t"}, 1, BAD_TIME, false, ""},
      {{"-t", "1-2", "-c"}, 0, USAGE, true, ""},
      // A refused -t after a good one ends the run.
      {{"-t", "1-2", "-t", "2-1", "t"}, 1, BAD_TIME, true, ""},
      // A value glued to the option is not read: the next argument is.
      {{"-t1-2", "trip.sl2"}, 1, BAD_TIME, false, ""},
      // A lone -t is the log's path.
      {{"-t"}, GO_ON, "", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(shown(c.args));
    parsed p = parse(c.args);
    EXPECT_EQ(p.status, c.status);
    EXPECT_EQ(p.printed, c.printed);
    EXPECT_EQ(run_options.cut_by_time, c.by_time);
    EXPECT_EQ(flags_of(run_options), c.flags);
  }
  EXPECT_EQ(parse({"-c", "1:5", "-t", "1-2", "-c", "3:4", "t"}).status, GO_ON);
  EXPECT_EQ(run_options.cut_start, 3u);
  EXPECT_EQ(run_options.cut_end, 4u);
}

}  // namespace
}  // namespace logtrim
