#include "sonarlog/frame_window.h"

#include <cstring>

namespace logtrim {

// The block, with room in front of it for a frame that the end of the block
// before cut off.
static unsigned char window_buffer[LARGEST_FRAME_SIZE + READ_BLOCK_SIZE];
static unsigned char* const BLOCK = window_buffer + LARGEST_FRAME_SIZE;

frame_window start_frame_window(std::uint64_t position) {
  frame_window w;
  w.next = w.limit = BLOCK;
  w.read_size = READ_BLOCK_SIZE - position % READ_BLOCK_SIZE;
  return w;
}

frame_read make_available(std::FILE* in, frame_window& w, std::size_t size) {
  while (available(w) < size) {
    if (w.at_end) return frame_read::end;
    std::size_t kept = available(w);
    std::memmove(BLOCK - kept, w.next, kept);
    std::size_t got = std::fread(BLOCK, 1, w.read_size, in);
    if (got < w.read_size) {
      if (std::ferror(in)) return frame_read::error;
      w.at_end = true;
    }
    w.next = BLOCK - kept;
    w.limit = BLOCK + got;
    w.read_size = READ_BLOCK_SIZE;
  }
  return frame_read::whole;
}

}  // namespace logtrim
