#include "sonarlog/frame_walk.h"

#include <cstring>

#include "sonarlog/byte_order.h"

namespace logtrim {

// The blocks are read into the end of the buffer. Before each read, the
// start of a frame that the previous block cut off (always shorter than a
// whole frame) is moved to just before the block, so that every frame lies
// whole and in one piece in the buffer once its last byte is read.
static unsigned char walk_buffer[MAX_FRAME_SIZE + WALK_BLOCK_SIZE];
static unsigned char* const block = walk_buffer + MAX_FRAME_SIZE;

bool read_file_header(std::FILE* in, file_header& header) {
  header = {};
  std::size_t got = std::fread(header.bytes, 1, sizeof header.bytes, in);
  return got == sizeof header.bytes || !std::ferror(in);
}

void start_walk(frame_walk& w, std::FILE* in, std::uint64_t position) {
  w = frame_walk{};
  w.in = in;
  w.next = block;
  w.limit = block;
  w.next_position = position;
}

// Bytes of the next frame when its header is at hand, else 0.
static std::size_t size_of_next(const frame_walk& w) {
  if (static_cast<std::size_t>(w.limit - w.next) < FRAME_HEADER_SIZE) return 0;
  return FRAME_HEADER_SIZE + load_u16le(w.next + frame_field::PACKET_SIZE);
}

static bool next_is_whole(const frame_walk& w) {
  std::size_t size = size_of_next(w);
  return size != 0 && static_cast<std::size_t>(w.limit - w.next) >= size;
}

bool walk_reads_next(const frame_walk& w) { return !w.at_end && !next_is_whole(w); }

// Keeps the unfinished frame before the block and reads the next block
// behind it. A read ends at the next multiple of WALK_BLOCK_SIZE in the
// file. A read error is kept for later: the frames that the bytes read
// before it hold whole are still handed out first.
static void read_block(frame_walk& w) {
  std::size_t kept = static_cast<std::size_t>(w.limit - w.next);
  std::memmove(block - kept, w.next, kept);
  std::uint64_t read_position = w.next_position + kept;
  std::size_t wanted = WALK_BLOCK_SIZE - static_cast<std::size_t>(read_position % WALK_BLOCK_SIZE);
  std::size_t got = std::fread(block, 1, wanted, w.in);
  if (got < wanted) {
    w.at_end = true;
    w.failed = std::ferror(w.in) != 0;
  }
  w.next = block - kept;
  w.limit = block + got;
}

walk_step next_frame(frame_walk& w) {
  while (!next_is_whole(w)) {
    if (!w.at_end) {
      read_block(w);
      continue;
    }
    if (w.failed) return walk_step::read_error;
    std::size_t left = static_cast<std::size_t>(w.limit - w.next);
    if (left == 0) return walk_step::end;
    if (left < FRAME_HEADER_SIZE) return walk_step::short_tail;
    w.header = decode_frame_fields(w.next);
    w.bytes = nullptr;
    w.size = FRAME_HEADER_SIZE + w.header.packet_size;
    w.position = w.next_position;
    return walk_step::cut_off;
  }
  w.header = decode_frame_fields(w.next);
  w.bytes = w.next;
  w.size = FRAME_HEADER_SIZE + w.header.packet_size;
  w.position = w.next_position;
  w.next += w.size;
  w.next_position += w.size;
  return walk_step::frame;
}

void print_read_error() { std::puts("Read error!"); }

}  // namespace logtrim
