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

TEST(parse_args, outcome_table) {
  for (const args_case& c : CASES) {
    std::string shown;
    // Appended piece by piece: "[" + ... + "]" sets off a false -Wrestrict
    // in the optimised builds of GCC 12.
    for (const std::string& a : c.args) shown.append("[").append(a, 0, 20).append("]");
    SCOPED_TRACE(shown);

    std::vector<const char*> argv = {"logtrim"};
    for (const std::string& a : c.args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    run_options = {};
    const char* log_path = nullptr;

    testing::internal::CaptureStdout();
    int status = parse_args(static_cast<int>(c.args.size() + 1), argv.data(), &log_path);
    std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(status, c.status);
    EXPECT_EQ(printed, c.printed);
    EXPECT_EQ(log_path ? log_path : "", c.log_path);
    EXPECT_EQ(flags_of(run_options), c.flags);
    EXPECT_EQ(run_options.cut_start, c.cut_start);
    EXPECT_EQ(run_options.cut_end, c.cut_end);
    EXPECT_EQ(run_options.info_only, c.info_only);
  }
}

}  // namespace
}  // namespace logtrim
