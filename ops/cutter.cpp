#include "ops/cutter.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "sonarlog/channels.h"
#include "sonarlog/frame_header.h"
#include "sonarlog/frame_reader.h"
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

// Rewrites the position and order fields of a kept frame and writes its
// header; every other field goes out as it was read.
bool write_kept_header(std::FILE* out, frame_header h, copy_state& state) {
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

  unsigned char bytes[FRAME_HEADER_SIZE];
  encode_frame_header(h, bytes);
  return write_all(out, bytes, sizeof bytes);
}

// Copies `size` data bytes in pieces through the buffer, for a frame too
// large to be held whole. Its presence has been checked beforehand.
frame_read copy_data_in_pieces(std::FILE* in, std::FILE* out,
                               std::uint32_t size, unsigned char* buffer,
                               bool& write_failed) {
  while (size > 0) {
    std::size_t piece = std::min<std::size_t>(size, MAX_PACKET_SIZE);
    frame_read r = read_frame_data(in, piece, buffer);
    if (r != frame_read::whole) return r;
    if (!write_all(out, buffer, piece)) {
      write_failed = true;
      return frame_read::whole;
    }
    size -= static_cast<std::uint32_t>(piece);
  }
  return frame_read::whole;
}

enum class cut_outcome { done, read_error, write_error };

cut_outcome copy_frames(std::FILE* in, std::FILE* out, copy_state& state) {
  unsigned char data[MAX_PACKET_SIZE];
  frame_header h;
  frame_read r;
  while ((r = read_frame_header(in, h)) == frame_read::whole) {
    bool keep = is_in_cut_range(h.frame_index) && !is_channel_deleted(h.channel);

    if (h.packet_size <= MAX_PACKET_SIZE) {
      r = read_frame_data(in, h.packet_size, data);
      // Data cut short by the end of the file: the frame is left out so the
      // copy stays a consistent log.
      if (r != frame_read::whole) break;
      if (!keep) continue;
      if (!write_kept_header(out, h, state) || !write_all(out, data, h.packet_size))
        return cut_outcome::write_error;
      continue;
    }

    if (!keep) {
      r = pass_over_frame_data(in, h.packet_size, data);
      if (r != frame_read::whole) break;
      continue;
    }
    // Too large to hold: make sure all of it is there before the header
    // goes out, so a cut-off frame never enters the copy.
    r = check_frame_data_present(in, h.packet_size);
    if (r != frame_read::whole) break;
    if (!write_kept_header(out, h, state)) return cut_outcome::write_error;
    bool write_failed = false;
    r = copy_data_in_pieces(in, out, h.packet_size, data, write_failed);
    if (write_failed) return cut_outcome::write_error;
    if (r != frame_read::whole) break;
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
