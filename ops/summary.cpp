#include "ops/summary.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "sonarlog/channels.h"
#include "sonarlog/frame_reader.h"

namespace logtrim {

// State of the one scan of a run.
static channel_stats_table stats_table;

static bool is_real_depth(float depth) {
  return std::isfinite(depth) && depth > 0;
}

void update_channel_stats(const frame_header& h) {
  if (h.channel >= CHANNEL_COUNT) return;
  std::optional<channel_stats>& slot = stats_table[h.channel];
  if (!slot) slot = channel_stats{.channel = h.channel};
  channel_stats& s = *slot;

  // A missing or broken reading must neither seed nor widen a range, or a
  // single zero or NaN at the start spoils the whole report.
  if (!is_real_depth(h.water_depth)) {
    // Saturates rather than overflows on a log of more than 2^31 frames.
    if (s.zero_depth_count < INT32_MAX) ++s.zero_depth_count;
  } else if (!s.has_depth) {
    s.has_depth = true;
    s.min_depth = s.max_depth = h.water_depth;
  } else {
    if (h.water_depth > s.max_depth) s.max_depth = h.water_depth;
    if (s.min_depth > h.water_depth) s.min_depth = h.water_depth;
  }

  // Speed has no zero filter: a standing boat reports 0.
  if (std::isfinite(h.speed)) {
    if (!s.has_speed) {
      s.has_speed = true;
      s.min_speed = s.max_speed = h.speed;
    } else {
      if (h.speed > s.max_speed) s.max_speed = h.speed;
      if (s.min_speed > h.speed) s.min_speed = h.speed;
    }
  }

  s.last_frame_index = h.frame_index;
}

float feet_to_meters(float feet) {
  return static_cast<float>(static_cast<double>(feet) / 3.2808399);
}

void print_channel_stats(std::optional<channel_stats>& slot) {
  if (!slot) return;
  const channel_stats& s = *slot;
  // In 64 bits, so that an index of 4294967295 reports 4294967296 sounds.
  unsigned long long sounds = static_cast<unsigned long long>(s.last_frame_index) + 1;
  std::printf("=== %s: %llu sounds", channel_name(s.channel), sounds);
  if (is_channel_deleted(s.channel)) std::printf(" - be deleted");
  std::printf("\n");
  std::printf("Depth: from %5.1f m to %5.1f m; 0 depth count = %d\n",
              static_cast<double>(feet_to_meters(s.min_depth)),
              static_cast<double>(feet_to_meters(s.max_depth)),
              static_cast<int>(s.zero_depth_count));
  std::printf("Speed: from %5.1f to %5.1f\n", static_cast<double>(s.min_speed),
              static_cast<double>(s.max_speed));
  slot.reset();
}

// The summary needs the headers only. It reads the log in large blocks and
// decodes each header where it lies in the block, passing over the frame
// data there: no copy of the data and no stream call per frame, which
// brings the walk to the speed of reading the file. The first read stops
// at SCAN_BLOCK_SIZE in the file, so every later one is a whole number of
// the log's stream buffers, which the stream reads straight into the block
// rather than through its own buffer.
//
// The block has room before it for the start of a header that the end of
// the block before cut off.
static unsigned char scan_buffer[FRAME_HEADER_SIZE + SCAN_BLOCK_SIZE];

namespace {

struct scan_window {
  const unsigned char* next;   // first byte not yet walked
  const unsigned char* limit;  // end of the bytes read
  std::size_t block_size;      // size of the next read
  bool at_end;                 // the file has no more bytes
};

// Keeps the `kept` bytes before `w.limit` (less than a header), moving them
// before the block, and reads the next block after them.
frame_read read_block(std::FILE* in, scan_window& w, std::size_t kept) {
  unsigned char* block = scan_buffer + FRAME_HEADER_SIZE;
  std::memmove(block - kept, w.limit - kept, kept);
  std::size_t got = std::fread(block, 1, w.block_size, in);
  if (got < w.block_size) {
    if (std::ferror(in)) return frame_read::error;
    w.at_end = true;
  }
  w.next = block - kept;
  w.limit = block + got;
  w.block_size = SCAN_BLOCK_SIZE;
  return frame_read::whole;
}

// Makes a whole header available at w.next; `end` when the file has none.
frame_read find_header(std::FILE* in, scan_window& w) {
  while (static_cast<std::size_t>(w.limit - w.next) < FRAME_HEADER_SIZE) {
    if (w.at_end) return frame_read::end;
    frame_read r = read_block(in, w, static_cast<std::size_t>(w.limit - w.next));
    if (r != frame_read::whole) return r;
  }
  return frame_read::whole;
}

// Passes over `size` bytes, reading blocks as far as they reach.
frame_read pass_over(std::FILE* in, scan_window& w, std::size_t size) {
  while (size > static_cast<std::size_t>(w.limit - w.next)) {
    size -= static_cast<std::size_t>(w.limit - w.next);
    w.next = w.limit;
    if (w.at_end) return frame_read::end;
    frame_read r = read_block(in, w, 0);
    if (r != frame_read::whole) return r;
  }
  w.next += size;
  return frame_read::whole;
}

}  // namespace

int scan_log(std::FILE* in) {
  const unsigned char* block = scan_buffer + FRAME_HEADER_SIZE;
  scan_window w = {block, block, SCAN_BLOCK_SIZE - FILE_HEADER_SIZE, false};
  frame_read r;
  while ((r = find_header(in, w)) == frame_read::whole) {
    frame_header h = decode_frame_header(w.next);
    update_channel_stats(h);
    if (h.packet_size > MAX_PACKET_SIZE) std::printf("\nsize error!\n");
    // Data cut short by the end of the file: the frame is already counted
    // and the walk ends.
    r = pass_over(in, w, FRAME_HEADER_SIZE + h.packet_size);
    if (r != frame_read::whole) break;
  }
  if (r == frame_read::error) {
    for (std::optional<channel_stats>& slot : stats_table) slot.reset();
    print_read_error();
    return 0;
  }
  for (std::optional<channel_stats>& slot : stats_table) print_channel_stats(slot);
  return 1;
}

}  // namespace logtrim
