#include "ops/cutter.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "sonarlog/byte_order.h"
#include "sonarlog/channels.h"
#include "sonarlog/frame_header.h"
#include "sonarlog/frame_reader.h"
#include "sonarlog/frame_window.h"
#include "sonarlog/run_options.h"

namespace logtrim {

namespace {

// Where the copy stands: the output position of the next frame and, per
// channel, of the latest kept frame, plus the block size of the latest kept
// frame, which becomes the next one's previous_block_size.
struct copy_state {
  std::uint64_t position = 0;
  std::uint32_t offset_table[CHANNEL_COUNT] = {};
  std::uint16_t remembered_block_size = 0;
};

bool write_all(std::FILE* out, const void* bytes, std::size_t size) {
  return std::fwrite(bytes, 1, size, out) == size;
}

bool is_in_cut_range(std::uint32_t frame_index) {
  return frame_index >= run_options.cut_start &&
         frame_index <= run_options.cut_end;
}

// Rewrites the position and order fields of a kept frame and encodes its
// header into `bytes`; every other field goes out as it was read.
void rewrite_kept_header(frame_header h, copy_state& state, unsigned char* bytes) {
  // Positions are stored as their low 32 bits.
  std::uint32_t position = static_cast<std::uint32_t>(state.position);
  // A channel above 5 has no slot; it keeps the table as it stands.
  if (h.channel < CHANNEL_COUNT) state.offset_table[h.channel] = position;
  h.previous_block_size = state.remembered_block_size;
  h.frame_index -= run_options.cut_start;
  h.frame_offset = position;
  std::copy(std::begin(state.offset_table), std::end(state.offset_table),
            h.last_frame_offset);
  state.remembered_block_size = h.block_size;
  state.position += FRAME_HEADER_SIZE + h.packet_size;
  encode_frame_header(h, bytes);
}

enum class cut_outcome { done, read_error, write_error };

std::size_t frame_size_at(const unsigned char* header) {
  return FRAME_HEADER_SIZE + load_u16le(header + frame_field::PACKET_SIZE);
}

// Kept frames are rewritten where they lie in the window and wait there;
// a run of them goes out in one write when a dropped frame ends it or
// before the window reads on. A frame goes out only once the window holds
// all of it, so a frame that the end of the log cuts short is left out and
// the copy stays a consistent log.
cut_outcome copy_frames(std::FILE* in, std::FILE* out, copy_state& state) {
  frame_window w = start_frame_window(FILE_HEADER_SIZE);
  const unsigned char* run = w.next;  // kept frames not yet written: [run, next)
  frame_read r = frame_read::whole;
  for (;;) {
    if (available(w) < FRAME_HEADER_SIZE || available(w) < frame_size_at(w.next)) {
      if (!write_all(out, run, static_cast<std::size_t>(w.next - run)))
        return cut_outcome::write_error;
      r = make_available(in, w, FRAME_HEADER_SIZE);
      if (r == frame_read::whole) r = make_available(in, w, frame_size_at(w.next));
      run = w.next;
      if (r != frame_read::whole) break;
    }
    frame_header h = decode_frame_header(w.next);
    std::size_t size = FRAME_HEADER_SIZE + h.packet_size;
    if (is_in_cut_range(h.frame_index) && !is_channel_deleted(h.channel)) {
      rewrite_kept_header(h, state, w.next);
    } else {
      if (!write_all(out, run, static_cast<std::size_t>(w.next - run)))
        return cut_outcome::write_error;
      run = w.next + size;
    }
    w.next += size;
  }
  return r == frame_read::error ? cut_outcome::read_error : cut_outcome::done;
}

cut_outcome copy_log(std::FILE* in, std::FILE* out) {
  // A log shorter than the file header gets the bytes there are, then zeros.
  file_header fh = {};
  std::fread(fh.bytes, 1, sizeof fh.bytes, in);
  if (std::ferror(in)) return cut_outcome::read_error;
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

}  // namespace logtrim
