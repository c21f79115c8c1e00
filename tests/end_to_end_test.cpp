// The built logtrim run as a process: exact standard output, exit status,
// and what it leaves on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "sonarlog/run_options.h"
#include "support/log_builder.h"
#include "support/run_process.h"
#include "support/streams.h"

namespace logtrim {
namespace {

namespace fs = std::filesystem;
using test::bytes;
using test::make_frame;

// A frame of TRIP, sounded at `time_ms` on the unit's clock.
frame_header trip_frame(std::uint16_t channel, std::uint32_t index, std::uint16_t size,
                        std::uint32_t time_ms, float depth = 10, float speed = 2) {
  frame_header h = make_frame(channel, index, size, depth, speed);
  h.time_ms = time_ms;
  return h;
}

// Two channels that count their frames apart, 0, 2, 1200 and 1301 ms into
// the log.
const bytes TRIP = test::build_log({trip_frame(0, 0, 10, 1317703, 16.4042f, 3),
                                    trip_frame(2, 3380, 20, 1317705),
                                    trip_frame(0, 1, 10, 1318903, 32.8084f, 4),
                                    trip_frame(2, 3381, 20, 1319004)});
const std::string TRIP_SUMMARY =
    "=== Primary (Tranditional Sonar): 2 sounds\n"
    "Depth: from   5.0 m to  10.0 m; 0 depth count = 0\n"
    "Speed: from   3.0 to   4.0\n"
    "=== DSI (DownScan Imaging): 3382 sounds\n"
    "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
    "Speed: from   2.0 to   2.0\n";
const std::string TRIP_SUMMARY_D_DELETED =
    "=== Primary (Tranditional Sonar): 2 sounds\n"
    "Depth: from   5.0 m to  10.0 m; 0 depth count = 0\n"
    "Speed: from   3.0 to   4.0\n"
    "=== DSI (DownScan Imaging): 3382 sounds - be deleted\n"
    "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
    "Speed: from   2.0 to   2.0\n";
const std::string TRIP_SUMMARY_P_DELETED =
    "=== Primary (Tranditional Sonar): 2 sounds - be deleted\n"
    "Depth: from   5.0 m to  10.0 m; 0 depth count = 0\n"
    "Speed: from   3.0 to   4.0\n"
    "=== DSI (DownScan Imaging): 3382 sounds\n"
    "Depth: from   3.0 m to   3.0 m; 0 depth count = 0\n"
    "Speed: from   2.0 to   2.0\n";
const std::string USAGE = "Usage: logtrim [-o start:end -d [PDS]] file\n";

// The copy that cut_log makes of TRIP with the given options.
bytes expected_copy(run_options_record options) {
  run_options = options;
  bytes copy = test::run_cut(TRIP).copy;
  run_options = {};
  return copy;
}

struct e2e_case {
  const char* name;
  std::vector<std::string> args;
  std::function<void(const fs::path&)> setup;
  std::string out;
  int status;
  std::function<void(const fs::path&)> check;
};

void no_setup(const fs::path&) {}
void no_check(const fs::path&) {}
void trip(const fs::path& dir) { test::write_file(dir / "trip.sl2", TRIP); }

// The log is left as it was, and no copy of any name appeared beside it.
void only_trip_left(const fs::path& dir) {
  EXPECT_EQ(test::read_file(dir / "trip.sl2"), TRIP);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(test::utf8_name(e.path().filename()));
  EXPECT_EQ(names, std::vector<std::string>{"trip.sl2"});
}

const e2e_case CASES[] = {
    {"no arguments", {}, no_setup, USAGE, 0, no_check},
    {"options only", {"-c", "1:2"}, no_setup, USAGE, 0, no_check},
    {"bad letters", {"-d", "px", "trip.sl2"}, trip, "Wrong delete channel argument\n", 1, only_trip_left},
    {"bad range", {"-c", "20:10", "trip.sl2"}, trip, "Wrong cut argument\n", 1, only_trip_left},
    {"summary", {"trip.sl2"}, trip, TRIP_SUMMARY, 0, only_trip_left},
    {"missing log", {"nothing.sl2"}, no_setup, "Can't open file nothing.sl2\n", 1, no_check},
    {"lone option is the path", {"-d"}, no_setup, "Can't open file -d\n", 1, no_check},
    {"-o value is the path", {"-o", "10:20", "trip.sl2"}, trip, "Can't open file 10:20\n", 1,
     only_trip_left},
    {"directory", {"folder"}, [](const fs::path& d) { fs::create_directory(d / "folder"); },
     "Can't open file folder\n", 1, no_check},
    {"directory in copy run", {"-c", "1:2", "folder"},
     [](const fs::path& d) { fs::create_directory(d / "folder"); }, "Can't open file folder\n", 1,
     no_check},
    {"header only", {"h.sl2"}, [](const fs::path& d) { test::write_file(d / "h.sl2", bytes(8, 1)); },
     "", 0, no_check},
    {"copy with range and letters", {"-c", "1:5", "-d", "d", "trip.sl2"}, trip,
     TRIP_SUMMARY_D_DELETED + "Output file: trip_1-5.sl2\n", 0,
     [](const fs::path& d) {
       EXPECT_EQ(test::read_file(d / "trip_1-5.sl2"),
                 expected_copy({.delete_downscan = true, .cut_start = 1, .cut_end = 5}));
     }},
    {"default range replaces an existing copy", {"-x", "trip.sl2"},
     [](const fs::path& d) {
       trip(d);
       test::write_file(d / "trip_0-0.sl2", bytes(100000, 7));
     },
     TRIP_SUMMARY + "Output file: trip_0-0.sl2\n", 0,
     [](const fs::path& d) { EXPECT_EQ(test::read_file(d / "trip_0-0.sl2"), expected_copy({})); }},
    // A span of time keeps the same moments on every channel, each
    // channel counting its frames from 0.
    {"time cut", {"-t", "1-2", "trip.sl2"}, trip,
     TRIP_SUMMARY + "Output file: trip_0m01s-0m02s.sl2\n", 0,
     [](const fs::path& d) {
       bytes copy = test::read_file(d / "trip_0m01s-0m02s.sl2");
       EXPECT_EQ(copy, expected_copy({.cut_by_time = true, .time_from = 1000, .time_to = 2000}));
       std::vector<frame_header> kept = test::decode_frames(copy);
       ASSERT_EQ(kept.size(), 2u);
       EXPECT_EQ(kept[1].channel, 2u);
       EXPECT_EQ(kept[1].frame_index, 0u);
     }},
    {"time cut to the end, without down-scan", {"-T", "0.002-", "-d", "D", "trip.sl2"}, trip,
     TRIP_SUMMARY_D_DELETED + "Output file: trip_0m00.002s-end.sl2\n", 0,
     [](const fs::path& d) {
       EXPECT_EQ(test::read_file(d / "trip_0m00.002s-end.sl2"),
                 expected_copy({.delete_downscan = true, .cut_by_time = true, .time_from = 2,
                                .time_to = 0xFFFFFFFF, .time_to_end = true}));
     }},
    {"a later -c replaces -t", {"-t", "1-2", "-c", "0:1", "trip.sl2"}, trip,
     TRIP_SUMMARY + "Output file: trip_0-1.sl2\n", 0,
     [](const fs::path& d) {
       EXPECT_EQ(test::read_file(d / "trip_0-1.sl2"), expected_copy({.cut_start = 0, .cut_end = 1}));
     }},
    {"bad time", {"-t", "2-1", "trip.sl2"}, trip, "Wrong time argument\n", 1, only_trip_left},
    {"time without a value", {"-c", "1:2", "-t"}, no_setup, "Wrong time argument\n", 1, no_check},
    {"path after the file name is never read", {"trip.sl2", "-c", "1:5"}, trip,
     TRIP_SUMMARY + "Output file: trip_0-0.sl2\n", 0, no_check},
    {"name from a short path", {"-c", "1:2", "ab"},
     [](const fs::path& d) { test::write_file(d / "ab", TRIP); },
     TRIP_SUMMARY + "Output file: ab_1-2.sl2\n", 0,
     [](const fs::path& d) { EXPECT_TRUE(fs::exists(d / "ab_1-2.sl2")); }},
    {"name outside the folder", {"-c", "1:2", "dir/abc"},
     [](const fs::path& d) {
       fs::create_directory(d / "dir");
       test::write_file(d / "dir/abc", TRIP);
     },
     TRIP_SUMMARY + "Output file: dir_1-2.sl2\n", 0,
     [](const fs::path& d) { EXPECT_TRUE(fs::exists(d / "dir_1-2.sl2")); }},
    {"everything but side-scan", {"-c", "0:-1", "-d", "s", "trip.sl2"}, trip,
     TRIP_SUMMARY + "Output file: trip_0--1.sl2\n", 0,
     [](const fs::path& d) {
       EXPECT_EQ(test::read_file(d / "trip_0--1.sl2"),
                 expected_copy({.delete_sidescan = true, .cut_start = 0, .cut_end = 0xFFFFFFFF}));
     }},
    // Names in any language open, and are printed as UTF-8.
    {"Cyrillic name", {"-c", "0:1", "Отчёт.sl2"},
     [](const fs::path& d) { test::write_file(d / test::utf8_path("Отчёт.sl2"), TRIP); },
     TRIP_SUMMARY + "Output file: Отчёт_0-1.sl2\n", 0,
     [](const fs::path& d) {
       EXPECT_EQ(test::read_file(d / test::utf8_path("Отчёт_0-1.sl2")),
                 expected_copy({.cut_start = 0, .cut_end = 1}));
     }},
    {"Chinese name", {"-d", "P", "航迹.sl2"},
     [](const fs::path& d) { test::write_file(d / test::utf8_path("航迹.sl2"), TRIP); },
     TRIP_SUMMARY_P_DELETED + "Output file: 航迹_0-0.sl2\n", 0,
     [](const fs::path& d) {
       EXPECT_EQ(test::read_file(d / test::utf8_path("航迹_0-0.sl2")),
                 expected_copy({.delete_traditional = true}));
     }},
    {"Chinese name, summary", {"航迹.sl2"},
     [](const fs::path& d) { test::write_file(d / test::utf8_path("航迹.sl2"), TRIP); },
     TRIP_SUMMARY, 0, no_check},
    {"missing log with a Cyrillic name", {"-c", "1:2", "нет.sl2"}, no_setup,
     "Can't open file нет.sl2\n", 1, no_check},
    // The copy run's failures: the summary is printed, then the failure.
    {"copy name is a folder", {"-c", "1:2", "trip.sl2"},
     [](const fs::path& d) {
       trip(d);
       fs::create_directory(d / "trip_1-2.sl2");
     },
     TRIP_SUMMARY + "Can't create file trip_1-2.sl2\n", 1, no_check},
    {"copy name is a hard link to the log", {"-c", "1:2", "trip.sl2"},
     [](const fs::path& d) {
       trip(d);
       fs::create_hard_link(d / "trip.sl2", d / "trip_1-2.sl2");
     },
     TRIP_SUMMARY + "Can't create file trip_1-2.sl2\n", 1,
     [](const fs::path& d) { EXPECT_EQ(test::read_file(d / "trip.sl2"), TRIP); }},
};

TEST(end_to_end, outcome_table) {
  for (const e2e_case& c : CASES) {
    SCOPED_TRACE(c.name);
    test::temp_dir dir;
    c.setup(dir.path);
    test::process_result r = test::run_logtrim(c.args, dir.path);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, c.status);
    c.check(dir.path);
  }
}

TEST(end_to_end, copy_name_is_a_symbolic_link_to_the_log) {
  test::temp_dir dir;
  trip(dir.path);
  std::error_code ec;
  fs::create_symlink("trip.sl2", dir.path / "trip_1-2.sl2", ec);
  // wine cannot make one; tests/windows/links_under_wine.sh makes the link
  // outside it and runs the same case.
  if (ec) GTEST_SKIP() << "this host makes no symbolic links: " << ec.message();
  test::process_result r = test::run_logtrim({"-c", "1:2", "trip.sl2"}, dir.path);
  EXPECT_EQ(r.out, TRIP_SUMMARY + "Can't create file trip_1-2.sl2\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(test::read_file(dir.path / "trip.sl2"), TRIP);
}

// A fresh tmpfs of its own mounted on a folder of the test, taken down
// again at the end of the test. A fresh tmpfs numbers its inodes from 1
// up, one by one, whatever else the machine does.
struct scratch_mount {
  fs::path point;
  bool mounted = false;
  explicit scratch_mount(const fs::path& folder) : point(folder) {
    fs::create_directory(point);
    mounted = test::run_program("/usr/bin/mount", {"-t", "tmpfs", "-o", "size=4m", "tmpfs",
                                                   point.string()}, "/").status == 0;
  }
  ~scratch_mount() {
    if (mounted) (void)test::run_program("/usr/bin/umount", {"--lazy", point.string()}, "/");
  }
  scratch_mount(const scratch_mount&) = delete;
  scratch_mount& operator=(const scratch_mount&) = delete;
};

struct stat stat_of(const fs::path& path) {
  struct stat st = {};
  EXPECT_EQ(stat(path.string().c_str(), &st), 0) << path;
  return st;
}

// The same-file refusal must compare the device too: a copy name on another
// file system whose inode number is the log's names another file, which the
// copy replaces.
TEST(end_to_end, copy_name_with_the_log_inode_on_another_file_system_is_replaced) {
  if (!test::can_mount_tmpfs()) GTEST_SKIP() << "mounting a tmpfs needs root on Linux";
  test::temp_dir dir;
  // b holds the copy's name; a, inside b, holds the log: the log b/a/abc
  // gives the copy b/a_1-2.sl2.
  scratch_mount copy_fs(dir.path / "b");
  ASSERT_TRUE(copy_fs.mounted);
  const fs::path copy = dir.path / "b/a_1-2.sl2";
  test::write_file(copy, bytes(1000, 7));
  fs::create_directory(dir.path / "b/a");
  scratch_mount log_fs(dir.path / "b/a");
  ASSERT_TRUE(log_fs.mounted);
  // Both count from the same start; files made before the log take up
  // the numbers below the copy's, if any.
  const fs::path log = dir.path / "b/a/abc";
  for (int spare = 0; spare < 1000; ++spare) {
    test::write_file(log, TRIP);
    if (stat_of(log).st_ino >= stat_of(copy).st_ino) break;
    fs::rename(log, dir.path / ("b/a/spare" + std::to_string(spare)));
  }
  ASSERT_EQ(stat_of(log).st_ino, stat_of(copy).st_ino);
  ASSERT_NE(stat_of(log).st_dev, stat_of(copy).st_dev);

  test::process_result r = test::run_logtrim({"-c", "1:2", "a/abc"}, dir.path / "b");
  EXPECT_EQ(r.out, TRIP_SUMMARY + "Output file: a_1-2.sl2\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(test::read_file(copy), expected_copy({.cut_start = 1, .cut_end = 2}));
  EXPECT_EQ(test::read_file(log), TRIP);
}

TEST(end_to_end, copy_name_too_long_for_the_system) {
  test::temp_dir dir;
  std::string log = std::string(250, 'n') + ".sl2";  // the copy's name has 258 bytes
  test::write_file(dir.path / log, TRIP);
  test::process_result r = test::run_logtrim({"-c", "1:2", log}, dir.path);
  EXPECT_EQ(r.out, TRIP_SUMMARY + "Can't create file " + std::string(250, 'n') + "_1-2.sl2\n");
  EXPECT_EQ(r.status, 1);
}

TEST(end_to_end, copy_that_cannot_be_written) {
  if (!test::full_device()) GTEST_SKIP() << "Windows has no device that is always full";
  test::temp_dir dir;
  trip(dir.path);
  fs::create_symlink(test::full_device(), dir.path / "trip_1-2.sl2");
  test::process_result r = test::run_logtrim({"-c", "1:2", "trip.sl2"}, dir.path);
  EXPECT_EQ(r.out, TRIP_SUMMARY + "Write error!\n");
  EXPECT_EQ(r.status, 1);
}

TEST(end_to_end, unwritable_standard_output_fails_the_run) {
  if (!test::full_device()) GTEST_SKIP() << "Windows has no device that is always full";
  test::temp_dir dir;
  trip(dir.path);
  for (auto args : {std::vector<std::string>{"trip.sl2"}, std::vector<std::string>{}}) {
    test::process_result r = test::run_logtrim(args, dir.path, test::full_device());
    EXPECT_EQ(r.status, 1);
  }
}

// No process has its first page mapped: its memory, read as a file, fails
// with EIO at the very first byte, so the run ends before any summary.
TEST(end_to_end, log_that_cannot_be_read_from_its_first_byte) {
  const char* memory = "/proc/self/mem";
  if (!fs::exists(memory)) GTEST_SKIP() << "this host shows no process's memory as a file";
  test::temp_dir dir;
  for (auto args : {std::vector<std::string>{memory}, std::vector<std::string>{"-c", "0:-1", memory}}) {
    test::process_result r = test::run_logtrim(args, dir.path);
    EXPECT_EQ(r.out, "Read error!\n");
    EXPECT_EQ(r.status, 1);
  }
}

TEST(end_to_end, fifo_as_the_log) {
  test::temp_dir dir;
  fs::path fifo = dir.path / "pipe.sl2";
  if (!test::make_fifo(fifo)) GTEST_SKIP() << "Windows has no FIFOs";
  for (auto args : {std::vector<std::string>{"pipe.sl2"},
                    std::vector<std::string>{"-c", "0:5", "pipe.sl2"}}) {
    // A writer feeds the log into the pipe while logtrim reads it.
    test::process_result r;
    std::thread feeder([&] { test::write_file(fifo, TRIP); });
    r = test::run_logtrim(args, dir.path);
    feeder.join();
    bool copy_run = args.size() > 1;
    EXPECT_EQ(r.out, TRIP_SUMMARY + (copy_run ? "Read error!\n" : ""));
    EXPECT_EQ(r.status, copy_run ? 1 : 0);
    EXPECT_FALSE(fs::exists(dir.path / "pipe_0-5.sl2"));
  }
}

}  // namespace
}  // namespace logtrim
