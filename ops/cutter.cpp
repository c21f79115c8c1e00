#include "ops/cutter.h"

#include <sys/types.h>

#include <bitset>
#include <cstdint>
#include <cstring>

#include "sonarlog/byte_order.h"
#include "sonarlog/channels.h"
#include "sonarlog/frame_header.h"
#include "sonarlog/frame_walk.h"
#include "sonarlog/run_options.h"

namespace logtrim {

namespace {

// Where the copy stands: the output position of the next frame and, per
// channel, of the latest kept frame, as the 24 bytes every kept header
// carries, plus the block size of the latest kept frame, which becomes the
// next one's previous_block_size.
struct copy_state {
  std::uint64_t position = 0;
  unsigned char offset_table[4 * CHANNEL_COUNT] = {};
  std::uint16_t remembered_block_size = 0;
};

// Kept frames gathered back to back in the walk's buffer, to go out with
// one write.
struct frame_run {
  unsigned char* start = nullptr;
  std::size_t size = 0;
};

enum class cut_outcome { done, read_error, write_error };

bool write_all(std::FILE* out, const void* bytes, std::size_t size) {
  return std::fwrite(bytes, 1, size, out) == size;
}

// Which frames one cut keeps, taken from run_options once rather than for
// every frame. A time cut measures every frame's time from the first
// frame's and makes each channel of the copy count its frames from 0:
// channels count their own frames at their own rates, so no one index
// suits them all.
struct selection {
  bool by_time = false;
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  bool deleted[CHANNEL_COUNT] = {};  // the letters' test for channels 0 to 5
  bool origin_known = false;
  std::uint32_t origin = 0;
};

selection start_selection() {
  const run_options_record& o = run_options;
  selection s{.by_time = o.cut_by_time,
              .from = o.cut_by_time ? o.time_from : o.cut_start,
              .to = o.cut_by_time ? o.time_to : o.cut_end};
  // No letter covers a channel above 5.
  for (std::uint16_t c = 0; c < CHANNEL_COUNT; ++c) s.deleted[c] = is_channel_deleted(c);
  return s;
}

// Frame index of each channel number's first kept frame in a time cut, for
// every number a header can carry. Static, like the walk's buffer: one cut
// at a time, and no allocation.
constexpr std::size_t CHANNEL_NUMBERS = 1 << 16;
std::uint32_t first_kept_index[CHANNEL_NUMBERS];
std::bitset<CHANNEL_NUMBERS> channel_kept;

bool is_kept(selection& s, const frame_fields& h) {
  // The time origin is the first frame's, whether or not its data is whole.
  if (!s.origin_known) {
    s.origin_known = true;
    s.origin = h.time_ms;
  }
  if (h.channel < CHANNEL_COUNT && s.deleted[h.channel]) return false;
  // The clock may pass 2^32 during the log: times are counted modulo 2^32.
  std::uint32_t at = s.by_time ? h.time_ms - s.origin : h.frame_index;
  return at >= s.from && at <= s.to;
}

// The index a kept frame gets in the copy: from the start of the range, or
// for a time cut from its channel's first kept frame.
std::uint32_t copied_index(const selection& s, const frame_fields& h) {
  if (!s.by_time) return h.frame_index - s.from;
  if (!channel_kept[h.channel]) {
    channel_kept[h.channel] = true;
    first_kept_index[h.channel] = h.frame_index;
  }
  return h.frame_index - first_kept_index[h.channel];
}

// Rewrites the position and order fields of a kept frame where it lies in
// the buffer, field by field; every other byte stays as it was read.
void rewrite_kept_header(const selection& s, const frame_fields& h, unsigned char* bytes,
                         copy_state& state) {
  namespace f = frame_field;
  // Positions are stored as their low 32 bits.
  std::uint32_t position = static_cast<std::uint32_t>(state.position);
  // A channel above 5 has no slot; it keeps the table as it stands.
  if (h.channel < CHANNEL_COUNT) store_u32le(state.offset_table + 4 * h.channel, position);
  store_u32le(bytes + f::FRAME_OFFSET, position);
  std::memcpy(bytes + f::LAST_FRAME_OFFSET, state.offset_table, sizeof state.offset_table);
  store_u16le(bytes + f::PREVIOUS_BLOCK_SIZE, state.remembered_block_size);
  store_u32le(bytes + f::FRAME_INDEX, copied_index(s, h));
  state.remembered_block_size = h.block_size;
  state.position += FRAME_HEADER_SIZE + h.packet_size;
}

// Moves a kept frame down to the end of the run, over the frames dropped
// since, which the walk has passed and needs no more.
unsigned char* append_to_run(frame_run& run, unsigned char* bytes, std::size_t size) {
  if (run.size == 0) run.start = bytes;
  unsigned char* at = run.start + run.size;
  if (at != bytes) std::memmove(at, bytes, size);
  run.size += size;
  return at;
}

bool write_run(std::FILE* out, frame_run& run) {
  bool written = run.size == 0 || write_all(out, run.start, run.size);
  run = {};
  return written;
}

// The kept frames of what the walk holds go out with one write before it
// reads the log again, which reuses the buffer: one write per block of the
// log, however many frames are dropped between them. A frame whose data the
// end of the file cuts off is left out, so that the copy stays a consistent
// log.
cut_outcome copy_frames(std::FILE* in, std::FILE* out, copy_state& state) {
  frame_walk w;
  start_walk(w, in, FILE_HEADER_SIZE);
  frame_run run;
  selection kept = start_selection();
  channel_kept.reset();
  walk_step step;
  for (;;) {
    if (walk_reads_next(w) && !write_run(out, run)) return cut_outcome::write_error;
    step = next_frame(w);
    if (step != walk_step::frame) break;
    if (!is_kept(kept, w.header)) continue;
    rewrite_kept_header(kept, w.header, append_to_run(run, w.bytes, w.size), state);
  }
  if (!write_run(out, run)) return cut_outcome::write_error;
  return step == walk_step::read_error ? cut_outcome::read_error : cut_outcome::done;
}

cut_outcome copy_log(std::FILE* in, std::FILE* out) {
  file_header fh;
  if (!read_file_header(in, fh)) return cut_outcome::read_error;
  if (!write_all(out, fh.bytes, sizeof fh.bytes)) return cut_outcome::write_error;

  // The position is asked of the stream once; after that every byte that
  // goes out is counted, which saves a system call per frame.
  copy_state state;
  off_t start = ftello(out);
  state.position = start >= 0 ? static_cast<std::uint64_t>(start) : FILE_HEADER_SIZE;
  return copy_frames(in, out, state);
}

}  // namespace

int cut_log(std::FILE* in, std::FILE* out) {
  cut_outcome outcome = copy_log(in, out);
  // Buffered bytes reach the file only here, so the close is a write too.
  if (std::fclose(out) != 0 && outcome == cut_outcome::done)
    outcome = cut_outcome::write_error;
  switch (outcome) {
    case cut_outcome::done:
      return 1;
    case cut_outcome::read_error:
      print_read_error();
      return 0;
    case cut_outcome::write_error:
      std::puts("Write error!");
      return 0;
  }
  return 0;
}

int measure_cut(std::FILE* in, cut_size& size) {
  size = {};
  file_header fh;
  if (!read_file_header(in, fh)) {
    print_read_error();
    return 0;
  }
  size.bytes = FILE_HEADER_SIZE;
  frame_walk w;
  start_walk(w, in, FILE_HEADER_SIZE);
  selection kept = start_selection();
  walk_step step;
  while ((step = next_frame(w)) == walk_step::frame) {
    if (!is_kept(kept, w.header)) continue;
    ++size.frames;
    size.bytes += w.size;
  }
  if (step == walk_step::read_error) {
    print_read_error();
    return 0;
  }
  return 1;
}

}  // namespace logtrim
