#include "sonarlog/frame_reader.h"

#include <gtest/gtest.h>

#include "support/log_builder.h"
#include "support/streams.h"

namespace logtrim {
namespace {

using test::bytes;
using test::build_log;
using test::make_frame;

struct walk_result {
  std::vector<std::uint32_t> indices;  // frame_index of each header read
  frame_read last;
};

walk_result walk(std::FILE* in) {
  walk_result w;
  unsigned char buffer[MAX_PACKET_SIZE];
  char file_header[FILE_HEADER_SIZE];
  if (std::fread(file_header, 1, sizeof file_header, in) != sizeof file_header) {}
  frame_header h;
  while ((w.last = read_frame_header(in, h)) == frame_read::whole) {
    w.indices.push_back(h.frame_index);
    if ((w.last = pass_over_frame_data(in, h.packet_size, buffer)) != frame_read::whole) break;
  }
  return w;
}

TEST(read_frame, steps_by_packet_size_and_ignores_a_short_tail) {
  frame_header empty = make_frame(0, 1, 0);
  frame_header odd_block = make_frame(2, 2, 40);
  odd_block.block_size = 7;  // never used to step
  frame_header large = make_frame(5, 3, 10001);
  frame_header largest = make_frame(1, 4, 65535);
  bytes log = build_log({empty, odd_block, large, largest, make_frame(0, 5, 1)});
  for (std::size_t tail = 0; tail < FRAME_HEADER_SIZE; ++tail) {
    bytes with_tail = log;
    with_tail.insert(with_tail.end(), tail, 0xAB);
    test::stream in = test::read_stream(with_tail);
    walk_result w = walk(in.get());
    EXPECT_EQ(w.indices, (std::vector<std::uint32_t>{1, 2, 3, 4, 5})) << tail;
    EXPECT_EQ(w.last, frame_read::end);
  }
}

TEST(read_frame, tells_a_read_error_from_the_end) {
  bytes log = build_log({make_frame(0, 1, 20000), make_frame(0, 2, 10)});
  struct {
    std::size_t good_bytes;
    std::vector<std::uint32_t> indices;
  } cases[] = {{8 + 100, {}}, {8 + 144 + 15000, {1}}, {log.size() - 1, {1, 2}}};
  for (const auto& c : cases) {
    test::stream in = test::failing_read_stream(log, c.good_bytes);
    walk_result w = walk(in.get());
    EXPECT_EQ(w.indices, c.indices);
    EXPECT_EQ(w.last, frame_read::error);
  }
}

TEST(check_frame_data_present, looks_ahead_and_returns) {
  bytes content(100, 0x5A);
  test::stream in = test::read_stream(content);
  ASSERT_EQ(std::fseek(in.get(), 10, SEEK_SET), 0);
  EXPECT_EQ(check_frame_data_present(in.get(), 90), frame_read::whole);
  EXPECT_EQ(std::ftell(in.get()), 10);
  EXPECT_EQ(check_frame_data_present(in.get(), 91), frame_read::end);
  EXPECT_EQ(std::ftell(in.get()), 10);
  EXPECT_EQ(check_frame_data_present(in.get(), 0), frame_read::whole);
  EXPECT_FALSE(std::feof(in.get()));
}

}  // namespace
}  // namespace logtrim
