#include "ops/cutter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "sonarlog/channels.h"
#include "sonarlog/run_options.h"
#include "support/log_builder.h"
#include "support/log_check.h"
#include "support/streams.h"

namespace logtrim {
namespace {

using test::append_frame;
using test::bytes;
using test::build_log;
using test::make_frame;
using test::run_cut;

class cutter : public testing::Test {
 protected:
  void SetUp() override { run_options = {}; }
};

// "channel:relative index" of each frame of a copy.
std::string kept_of(const bytes& copy) {
  std::string s;
  for (const frame_header& h : test::decode_frames(copy))
    s += std::to_string(h.channel) + ":" + std::to_string(h.frame_index) + " ";
  return s;
}

// A copied frame: `original` with the rewritten fields, then its own data.
void append_copied(bytes& log, frame_header original, std::uint32_t position,
                   std::uint16_t previous_block_size, std::uint32_t index,
                   std::array<std::uint32_t, 6> table) {
  bytes data = test::frame_data(original);
  original.frame_offset = position;
  original.previous_block_size = previous_block_size;
  original.frame_index = index;
  std::copy(table.begin(), table.end(), original.last_frame_offset);
  bytes header = test::encoded(original);
  log.insert(log.end(), header.begin(), header.end());
  log.insert(log.end(), data.begin(), data.end());
}

TEST_F(cutter, worked_example_range_100_to_200) {
  frame_header before = make_frame(0, 99, 50);
  frame_header first = make_frame(2, 100, 100);
  frame_header second = make_frame(3, 150, 20);
  frame_header at_end = make_frame(0, 200, 30);
  frame_header after = make_frame(0, 201, 10);
  // Input offsets are whatever the recorder wrote; the copy rewrites them.
  first.frame_offset = 12345;
  first.last_frame_offset[0] = 777;
  first.previous_block_size = 999;
  second.water_depth = std::numeric_limits<float>::signaling_NaN();
  run_options.cut_start = 100;
  run_options.cut_end = 200;

  test::pass_result r = run_cut(build_log({before, first, second, at_end, after}));

  bytes expected = test::BUILT_FILE_HEADER;
  append_copied(expected, first, 8, 0, 0, {0, 0, 8, 0, 0, 0});
  append_copied(expected, second, 252, 244, 50, {0, 0, 8, 252, 0, 0});
  append_copied(expected, at_end, 252 + 164, 164, 100, {416, 0, 8, 252, 0, 0});
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.printed, "");
  EXPECT_EQ(r.copy, expected);
}

// A time cut: the times count from the first frame's, modulo 2^32, here
// across the clock's wrap, so the origin is the largest time in the log;
// each channel of the copy counts its frames from 0.
TEST_F(cutter, time_cut_keeps_a_span_and_counts_each_channel_from_0) {
  auto frame = [](std::uint16_t channel, std::uint32_t index, std::uint32_t time) {
    frame_header h = make_frame(channel, index, static_cast<std::uint16_t>(10 + channel));
    h.time_ms = time;
    return h;
  };
  frame_header frames[] = {
      frame(0, 3380, 0xFFFFFF00),  //    0 ms: the origin
      frame(2, 6804, 0xFFFFFF80),  //  128
      frame(1, 3472, 0x00000010),  //  272, past the wrap
      frame(0, 3381, 0x00000100),  //  512
      frame(2, 6805, 0x00000200),  //  768
      frame(9, 77, 0x00000300),    // 1024
      frame(9, 78, 0x00000400),    // 1280
      frame(2, 6806, 0x00000500),  // 1536
  };
  bytes log = build_log(std::vector<frame_header>(std::begin(frames), std::end(frames)));
  const frame_header &b = frames[1], &c = frames[2], &d = frames[3], &e = frames[4],
                     &f = frames[5], &g = frames[6];

  run_options = {.cut_by_time = true, .time_from = 128, .time_to = 1280};
  test::pass_result r = run_cut(log);
  bytes expected = test::BUILT_FILE_HEADER;
  append_copied(expected, b, 8, 0, 0, {0, 0, 8, 0, 0, 0});
  append_copied(expected, c, 8 + 156, 156, 0, {0, 164, 8, 0, 0, 0});
  append_copied(expected, d, 164 + 155, 155, 0, {319, 164, 8, 0, 0, 0});
  append_copied(expected, e, 319 + 154, 154, 1, {319, 164, 473, 0, 0, 0});
  append_copied(expected, f, 473 + 156, 156, 0, {319, 164, 473, 0, 0, 0});
  append_copied(expected, g, 629 + 163, 163, 1, {319, 164, 473, 0, 0, 0});
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.printed, "");
  EXPECT_EQ(r.copy, expected);

  cut_size planned;
  test::stream in = test::read_stream(log);
  ASSERT_EQ(measure_cut(in.get(), planned), 1);
  EXPECT_EQ(planned.frames, 6u);
  EXPECT_EQ(planned.bytes, expected.size());

  // Letters drop as with a range of indices; the channels left still count
  // from their first kept frame.
  run_options = {.delete_downscan = true, .cut_by_time = true, .time_from = 500,
                 .time_to = 0xFFFFFFFF, .time_to_end = true};
  EXPECT_EQ(kept_of(run_cut(log).copy), "0:0 9:0 9:1 ");
  // Both ends are inclusive, and a span may hold a single moment.
  run_options = {.cut_by_time = true, .time_from = 0, .time_to = 0};
  EXPECT_EQ(kept_of(run_cut(log).copy), "0:0 ");
  run_options = {.cut_by_time = true, .time_from = 1537, .time_to = 0xFFFFFFFF};
  EXPECT_EQ(run_cut(log).copy, test::BUILT_FILE_HEADER);
}

// The origin is the first frame's time, read from its header even when the
// end of the file cuts its data off; a log without a whole frame header
// gets its file header alone.
TEST_F(cutter, time_cut_of_a_single_frame_and_of_a_first_frame_cut_off) {
  frame_header only = make_frame(3, 41, 20);
  only.time_ms = 1317703;
  bytes log = build_log({only});
  run_options = {.cut_by_time = true, .time_from = 0, .time_to = 1000};
  EXPECT_EQ(kept_of(run_cut(log).copy), "3:0 ");
  run_options.time_from = 1;
  EXPECT_EQ(run_cut(log).copy, test::BUILT_FILE_HEADER);

  run_options.time_from = 0;
  for (std::size_t cut : {std::size_t{8}, std::size_t{8 + 100}, log.size() - 1}) {
    test::pass_result r = run_cut(bytes(log.begin(), log.begin() + static_cast<long>(cut)));
    EXPECT_EQ(r.result, 1) << cut;
    EXPECT_EQ(r.copy, test::BUILT_FILE_HEADER) << cut;
  }
}

// Every channel number counts on its own, the high ones included.
TEST_F(cutter, time_cut_counts_every_channel_number_apart) {
  std::vector<frame_header> frames;
  for (std::uint32_t i = 0; i < 3; ++i)
    for (std::uint16_t channel : {6, 65535, 300, 5})
      frames.push_back(make_frame(channel, 1000 * channel + i + 7, 4));
  for (std::size_t i = 0; i < frames.size(); ++i) frames[i].time_ms = static_cast<std::uint32_t>(i);
  run_options = {.cut_by_time = true, .time_from = 1, .time_to = 10};
  EXPECT_EQ(kept_of(run_cut(build_log(frames)).copy),
            "65535:0 300:0 5:0 6:0 65535:1 300:1 5:1 6:1 65535:2 300:2 ");
}

TEST_F(cutter, range_and_letters_select_frames) {
  // Rounds of channels 0 to 5 and 9, frame indices 0 to 4.
  std::vector<frame_header> frames;
  for (std::uint32_t i = 0; i < 5; ++i)
    for (std::uint16_t c : {0, 1, 2, 3, 4, 5, 9})
      frames.push_back(make_frame(c, i, static_cast<std::uint16_t>(10 + 3 * c + i)));
  bytes log = build_log(frames);
  struct {
    std::uint32_t start, end;
    bool p, d, s;
    const char* kept;
  } cases[] = {
      // No range given: only index 0, written as 0.
      {0, 0, false, false, false, "0:0 1:0 2:0 3:0 4:0 5:0 9:0 "},
      // Both bounds are inclusive.
      {3, 4, true, true, true, "9:0 9:1 "},
      {1, 2, false, false, true, "0:0 1:0 2:0 9:0 0:1 1:1 2:1 9:1 "},
      // -1 as the end keeps everything from the start on.
      {4, 0xFFFFFFFF, true, false, false, "2:0 3:0 4:0 5:0 9:0 "},
      {2, 3, false, true, false, "0:0 1:0 3:0 4:0 5:0 9:0 0:1 1:1 3:1 4:1 5:1 9:1 "},
      {5, 0xFFFFFFFF, false, false, false, ""},
  };
  for (const auto& c : cases) {
    run_options = {.delete_traditional = c.p, .delete_downscan = c.d,
                   .delete_sidescan = c.s, .cut_start = c.start, .cut_end = c.end};
    test::pass_result r = run_cut(log);
    SCOPED_TRACE(c.kept);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(kept_of(r.copy), c.kept);
    EXPECT_EQ(test::check_log_consistency(r.copy), "");
    // A deleted group's slots stay 0 in every header.
    for (const frame_header& h : test::decode_frames(r.copy)) {
      for (std::uint16_t ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (is_channel_deleted(ch)) {
          EXPECT_EQ(h.last_frame_offset[ch], 0u);
        }
      }
    }
  }
}

TEST_F(cutter, previous_block_size_links_kept_frames_across_dropped_ones) {
  // Recorded block sizes that differ from 144 + packet_size are carried as
  // they are, and never used to step through the log.
  frame_header a = make_frame(0, 1, 10);
  frame_header dropped = make_frame(2, 1, 10);
  frame_header b = make_frame(1, 1, 20);
  a.block_size = 1000;
  dropped.block_size = 2000;
  b.block_size = 3000;
  run_options = {.delete_downscan = true, .cut_start = 0, .cut_end = 5};
  std::vector<frame_header> copied = test::decode_frames(run_cut(build_log({a, dropped, b})).copy);
  ASSERT_EQ(copied.size(), 2u);
  EXPECT_EQ(copied[0].previous_block_size, 0u);
  EXPECT_EQ(copied[1].previous_block_size, 1000u);
  EXPECT_EQ(copied[1].block_size, 3000u);
  EXPECT_EQ(copied[1].frame_offset, 8u + 144 + 10);
}

TEST_F(cutter, channel_above_5_is_kept_without_a_table_entry) {
  frame_header c0 = make_frame(0, 0, 10);
  frame_header c6 = make_frame(6, 0, 20);
  frame_header c65535 = make_frame(65535, 0, 0);
  frame_header c1 = make_frame(1, 0, 5);
  run_options.delete_traditional = false;
  test::pass_result r = run_cut(build_log({c0, c6, c65535, c1}));

  bytes expected = test::BUILT_FILE_HEADER;
  append_copied(expected, c0, 8, 0, 0, {8, 0, 0, 0, 0, 0});
  append_copied(expected, c6, 162, 154, 0, {8, 0, 0, 0, 0, 0});
  append_copied(expected, c65535, 326, 164, 0, {8, 0, 0, 0, 0, 0});
  append_copied(expected, c1, 470, 144, 0, {8, 470, 0, 0, 0, 0});
  EXPECT_EQ(r.copy, expected);
}

TEST_F(cutter, frames_larger_than_the_buffer_are_copied_whole) {
  frame_header big = make_frame(0, 0, 10001);
  frame_header biggest = make_frame(5, 0, 65535);
  frame_header dropped = make_frame(3, 1, 30000);
  frame_header small = make_frame(2, 0, 7);
  bytes log = build_log({big, dropped, biggest, small});
  test::pass_result r = run_cut(log);

  bytes expected = test::BUILT_FILE_HEADER;
  append_copied(expected, big, 8, 0, 0, {8, 0, 0, 0, 0, 0});
  append_copied(expected, biggest, 10153, 10145, 0, {8, 0, 0, 0, 0, 10153});
  append_copied(expected, small, 75832, biggest.block_size, 0, {8, 0, 75832, 0, 0, 10153});
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.copy, expected);
}

// Cutting a log short anywhere gives the copy of its whole frames: the
// frame that the end cuts into is left out, and a file header cut short is
// completed with zeros.
TEST_F(cutter, log_cut_short_anywhere_copies_its_whole_frames) {
  std::vector<frame_header> frames = {make_frame(0, 0, 3), make_frame(5, 0, 10002),
                                      make_frame(2, 0, 0), make_frame(1, 0, 2)};
  bytes log = build_log(frames);
  std::vector<std::size_t> frame_ends = {8};
  for (const frame_header& f : frames)
    frame_ends.push_back(frame_ends.back() + FRAME_HEADER_SIZE + f.packet_size);

  std::vector<bytes> whole_copies;
  for (std::size_t end : frame_ends)
    whole_copies.push_back(run_cut(bytes(log.begin(), log.begin() + static_cast<long>(end))).copy);

  for (std::size_t size = 0; size <= log.size(); ++size) {
    test::pass_result r = run_cut(bytes(log.begin(), log.begin() + static_cast<long>(size)));
    bytes expected;
    if (size < 8) {
      expected.assign(log.begin(), log.begin() + static_cast<long>(size));
      expected.resize(8, 0);
    } else {
      std::size_t whole = 0;
      while (whole + 1 < frame_ends.size() && frame_ends[whole + 1] <= size) ++whole;
      expected = whole_copies[whole];
    }
    ASSERT_EQ(r.copy, expected) << "log cut at " << size;
    ASSERT_EQ(r.result, 1);
  }
  EXPECT_EQ(whole_copies[0], test::BUILT_FILE_HEADER);
  EXPECT_EQ(test::decode_frames(whole_copies.back()).size(), 4u);
}

TEST_F(cutter, failed_write_is_reported) {
  bytes log = build_log({make_frame(0, 0, 100), make_frame(1, 0, 20000), make_frame(2, 0, 30)});
  std::size_t whole_copy = log.size();
  struct {
    const char* name;
    bytes log;
    std::size_t room;  // bytes the output takes before it fails
  } cases[] = {
      {"file header of a log without frames", test::BUILT_FILE_HEADER, 0},
      {"file header", log, 0},
      {"first frame header", log, 8},
      {"data of the first frame", log, 8 + 144},
      {"data of a large frame", log, 8 + 144 + 100 + 144 + 10000},
      {"last byte of a small last frame", log, whole_copy - 1},
  };
  for (const auto& c : cases) {
    test::stream in = test::read_stream(c.log);
    test::pass_result r = test::run_cut_streams(in.get(), test::failing_write_stream(c.room));
    EXPECT_EQ(r.printed, "Write error!\n") << c.name;
    EXPECT_EQ(r.result, 0) << c.name;
  }
}

TEST_F(cutter, large_frames_from_a_stream_that_cannot_seek_are_copied_whole) {
  std::vector<frame_header> frames = {make_frame(0, 0, 10000), make_frame(2, 0, 10001),
                                      make_frame(5, 0, 65535), make_frame(1, 0, 3)};
  bytes log = build_log(frames);
  bytes expected = test::BUILT_FILE_HEADER;
  std::uint32_t at = 8;
  std::array<std::uint32_t, 6> table = {};
  std::uint16_t previous = 0;
  for (const frame_header& f : frames) {
    table[f.channel] = at;
    append_copied(expected, f, at, previous, 0, table);
    previous = f.block_size;
    at += static_cast<std::uint32_t>(FRAME_HEADER_SIZE + f.packet_size);
  }
  test::stream in = test::unseekable_read_stream(log);
  ASSERT_NE(std::fseek(in.get(), 0, SEEK_SET), 0);
  test::write_capture capture = test::capture_stream();
  test::pass_result r = test::run_cut_streams(in.get(), capture.out);
  bytes copy = test::captured_bytes(capture);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.printed, "");
  EXPECT_EQ(copy, expected);
}

TEST_F(cutter, failed_read_is_reported) {
  bytes log = build_log({make_frame(0, 0, 100), make_frame(0, 0, 20000)});
  bytes whole_copy = run_cut(log).copy;
  // What the copy holds when the read fails: nothing while the file header
  // is read, then the header and the kept frames read whole before the
  // failure.
  struct {
    std::size_t good_bytes;
    std::size_t copied;
  } cases[] = {{0, 0}, {5, 0}, {8 + 100, 8}, {log.size() - 5000, 8 + 144 + 100}};
  for (const auto& c : cases) {
    test::stream in = test::failing_read_stream(log, c.good_bytes);
    test::write_capture capture = test::capture_stream();
    test::pass_result r = test::run_cut_streams(in.get(), capture.out);
    bytes copy = test::captured_bytes(capture);
    EXPECT_EQ(r.printed, "Read error!\n") << c.good_bytes;
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(copy, bytes(whole_copy.begin(), whole_copy.begin() + static_cast<long>(c.copied)))
        << c.good_bytes;

    // Measuring the copy fails in the same way.
    test::stream measured = test::failing_read_stream(log, c.good_bytes);
    cut_size size;
    testing::internal::CaptureStdout();
    int measured_result = measure_cut(measured.get(), size);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Read error!\n") << c.good_bytes;
    EXPECT_EQ(measured_result, 0) << c.good_bytes;
  }
}

}  // namespace
}  // namespace logtrim
