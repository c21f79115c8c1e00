#include "sonarlog/frame_window.h"

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
  walk_result r;
  char file_header[FILE_HEADER_SIZE];
  if (std::fread(file_header, 1, sizeof file_header, in) != sizeof file_header) {}
  frame_window w = start_frame_window(FILE_HEADER_SIZE);
  while ((r.last = make_available(in, w, FRAME_HEADER_SIZE)) == frame_read::whole) {
    frame_header h = decode_frame_header(w.next);
    r.indices.push_back(h.frame_index);
    std::size_t size = FRAME_HEADER_SIZE + h.packet_size;
    if ((r.last = make_available(in, w, size)) != frame_read::whole) break;
    w.next += size;
  }
  return r;
}

TEST(frame_window, steps_by_packet_size_and_ignores_a_short_tail) {
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

// A read fails for the whole block it belongs to: no frame of it is walked.
TEST(frame_window, tells_a_read_error_from_the_end) {
  bytes log = build_log({make_frame(0, 1, 20000), make_frame(0, 2, 10)});
  for (std::size_t good : {std::size_t{8 + 100}, std::size_t{8 + 144 + 15000}, log.size() - 1}) {
    test::stream in = test::failing_read_stream(log, good);
    walk_result w = walk(in.get());
    EXPECT_EQ(w.indices, std::vector<std::uint32_t>{}) << good;
    EXPECT_EQ(w.last, frame_read::error) << good;
  }
}

}  // namespace
}  // namespace logtrim
