#include "sonarlog/frame_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/log_builder.h"
#include "support/streams.h"

namespace logtrim {
namespace {

using test::bytes;
using test::build_log;
using test::make_frame;

// "index@position" for each frame handed out, then how the walk ended. Each
// frame's bytes and decoded header are checked against the log itself.
std::string walk_log(std::FILE* in, const bytes& log, std::uint64_t start = FILE_HEADER_SIZE) {
  std::string walked;
  frame_walk w;
  start_walk(w, in, start);
  walk_step step;
  while ((step = next_frame(w)) == walk_step::frame) {
    std::size_t at = static_cast<std::size_t>(w.position - start + FILE_HEADER_SIZE);
    walked += std::to_string(w.header.frame_index) + "@" + std::to_string(w.position) + " ";
    EXPECT_EQ(w.size, FRAME_HEADER_SIZE + w.header.packet_size);
    EXPECT_TRUE(at + w.size <= log.size() && std::memcmp(w.bytes, log.data() + at, w.size) == 0)
        << "bytes of the frame at " << at;
    frame_header whole = decode_frame_header(log.data() + at);
    EXPECT_EQ(w.header.block_size, whole.block_size);
    EXPECT_EQ(w.header.channel, whole.channel);
    EXPECT_EQ(w.header.packet_size, whole.packet_size);
    EXPECT_EQ(w.header.frame_index, whole.frame_index);
  }
  switch (step) {
    case walk_step::end: return walked + "end";
    case walk_step::short_tail: return walked + "short tail";
    case walk_step::cut_off:
      return walked + "cut off " + std::to_string(w.header.frame_index) + "@" +
             std::to_string(w.position);
    case walk_step::read_error: return walked + "read error";
    case walk_step::frame: break;
  }
  return walked + "?";
}

std::string walk_log(const bytes& log) {
  test::stream in = test::read_stream(log);
  std::fseek(in.get(), static_cast<long>(FILE_HEADER_SIZE), SEEK_SET);
  return walk_log(in.get(), log);
}

bytes first_bytes(const bytes& b, std::size_t n) {
  return bytes(b.begin(), b.begin() + static_cast<long>(n));
}

// Frames of 0, 10000, 10001 and 65535 data bytes, one whose block_size is
// not 144 + packet_size (never used to step), then a small one.
std::vector<frame_header> sizes_frames() {
  frame_header odd_block = make_frame(2, 2, 40);
  odd_block.block_size = 7;
  return {make_frame(0, 1, 0), make_frame(1, 2, 10000), make_frame(5, 3, 10001),
          make_frame(1, 4, 65535), odd_block, make_frame(0, 6, 1)};
}

TEST(frame_walk, ends_and_tails) {
  const bytes log = build_log(sizes_frames());
  const std::string all = "1@8 2@152 3@10296 4@20441 2@86120 6@86304 ";
  const frame_header last_header = make_frame(0, 7, 300);
  const bytes with_last = [&] {
    bytes b = log;
    test::append_frame(b, last_header);
    return b;
  }();
  const std::size_t last_at = log.size();
  struct {
    const char* name;
    bytes log;
    std::string walked;
  } cases[] = {
      {"whole frames", log, all + "end"},
      {"tail of 1 byte", first_bytes(with_last, last_at + 1), all + "short tail"},
      {"tail of 143 bytes", first_bytes(with_last, last_at + 143), all + "short tail"},
      {"data cut off at its first byte", first_bytes(with_last, last_at + 144),
       all + "cut off 7@" + std::to_string(last_at)},
      {"data cut off at its last byte", first_bytes(with_last, with_last.size() - 1),
       all + "cut off 7@" + std::to_string(last_at)},
      {"file header alone", test::BUILT_FILE_HEADER, "end"},
      {"nothing after a short file header", first_bytes(log, 5), "end"},
  };
  for (const auto& c : cases) EXPECT_EQ(walk_log(c.log), c.walked) << c.name;
}

// A log whose frame under test starts `before_end` bytes before the end of
// the first block, after fillers of up to 10000 data bytes.
bytes log_across_block_end(std::size_t before_end, const frame_header& under_test) {
  std::vector<frame_header> frames;
  std::size_t gap = WALK_BLOCK_SIZE - before_end - FILE_HEADER_SIZE;
  constexpr std::size_t FILLER = FRAME_HEADER_SIZE + MAX_PACKET_SIZE;
  for (; gap > 2 * FILLER; gap -= FILLER) frames.push_back(make_frame(2, 1, MAX_PACKET_SIZE));
  for (std::size_t part : {gap / 2, gap - gap / 2})
    frames.push_back(make_frame(2, 1, static_cast<std::uint16_t>(part - FRAME_HEADER_SIZE)));
  frames.push_back(under_test);
  frames.push_back(make_frame(0, 8, 16));
  return build_log(frames);
}

TEST(frame_walk, frames_across_the_end_of_a_block_are_handed_out_whole) {
  // Bytes of the frame under test before the block's end: part of its
  // header, all of it, part of its data, all but its last byte, all of it.
  for (std::uint16_t packet_size : {100, 65535}) {
    std::size_t frame_size = FRAME_HEADER_SIZE + packet_size;
    for (std::size_t before_end : {std::size_t{1}, std::size_t{72}, std::size_t{143},
                                   std::size_t{144}, std::size_t{145}, frame_size - 1,
                                   frame_size}) {
      SCOPED_TRACE(testing::Message() << packet_size << " data bytes, " << before_end
                                      << " before the end of the block");
      bytes log = log_across_block_end(before_end, make_frame(0, 7, packet_size));
      std::string walked = walk_log(log);
      std::string under_test = "7@" + std::to_string(WALK_BLOCK_SIZE - before_end) + " ";
      std::string after = "8@" + std::to_string(WALK_BLOCK_SIZE - before_end + frame_size) + " end";
      EXPECT_EQ(walked.substr(walked.size() - under_test.size() - after.size()), under_test + after);
    }
  }
}

TEST(frame_walk, positions_are_64_bit) {
  bytes log = build_log({make_frame(0, 1, 100), make_frame(0, 2, 100)});
  test::stream in = test::read_stream(log);
  std::fseek(in.get(), static_cast<long>(FILE_HEADER_SIZE), SEEK_SET);
  const std::uint64_t past_4_gib = (std::uint64_t{1} << 32) - 100;
  EXPECT_EQ(walk_log(in.get(), log, past_4_gib), "1@4294967196 2@4294967440 end");
}

TEST(frame_walk, read_error_after_the_frames_read_whole) {
  bytes log = log_across_block_end(500, make_frame(0, 7, 2000));
  std::vector<frame_header> frames = test::decode_frames(log);
  struct {
    const char* name;
    std::size_t good_bytes;
  } cases[] = {
      {"in the file header", 3},
      {"in the first frame", FILE_HEADER_SIZE + 100},
      {"in the first block", 500000},
      {"in a later block", WALK_BLOCK_SIZE + 1000},
  };
  for (const auto& c : cases) {
    // The frames that end within the good bytes, then the error.
    std::string expected;
    std::size_t at = FILE_HEADER_SIZE;
    for (const frame_header& h : frames) {
      if (at + FRAME_HEADER_SIZE + h.packet_size > c.good_bytes) break;
      expected += std::to_string(h.frame_index) + "@" + std::to_string(at) + " ";
      at += FRAME_HEADER_SIZE + h.packet_size;
    }
    test::stream in = test::failing_read_stream(log, c.good_bytes);
    char file_header[FILE_HEADER_SIZE];
    if (std::fread(file_header, 1, sizeof file_header, in.get()) != sizeof file_header) {
      EXPECT_TRUE(std::ferror(in.get())) << c.name;
    }
    EXPECT_EQ(walk_log(in.get(), log), expected + "read error") << c.name;
  }
}

TEST(frame_walk, reads_only_when_the_next_frame_is_not_whole) {
  bytes log = build_log({make_frame(0, 1, 10), make_frame(0, 2, 10)});
  test::stream in = test::read_stream(log);
  std::fseek(in.get(), static_cast<long>(FILE_HEADER_SIZE), SEEK_SET);
  frame_walk w;
  start_walk(w, in.get(), FILE_HEADER_SIZE);
  EXPECT_TRUE(walk_reads_next(w));
  ASSERT_EQ(next_frame(w), walk_step::frame);
  // The whole log came with the first read, and its end is known.
  EXPECT_FALSE(walk_reads_next(w));
  const unsigned char* first = w.bytes;
  ASSERT_EQ(next_frame(w), walk_step::frame);
  EXPECT_EQ(w.bytes, first + FRAME_HEADER_SIZE + 10);
  EXPECT_EQ(next_frame(w), walk_step::end);
  EXPECT_FALSE(walk_reads_next(w));
}

}  // namespace
}  // namespace logtrim
