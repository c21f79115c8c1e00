// The one walk over the frames of a log that every pass uses.
//
// The log is read in large blocks into one fixed buffer that holds the
// largest possible frame whole, and handed to the pass one frame at a time:
// its decoded header, its bytes as they lie in the buffer and its position
// in the file. The frame sequence ends where the file ends; how it ended is
// told apart, so that each pass decides what each ending means.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "sonarlog/frame_header.h"

namespace logtrim {

/// The walk reads the log in blocks of this size, ending at multiples of it
/// in the file, so that every read but the first goes straight past the
/// stream's own buffer.
inline constexpr std::size_t WALK_BLOCK_SIZE = 1 << 20;

/// The largest frame a log can hold: a header and 65535 data bytes.
inline constexpr std::size_t MAX_FRAME_SIZE = FRAME_HEADER_SIZE + 0xFFFF;

/// What `next_frame` found.
enum class walk_step {
  frame,       ///< a whole frame is at hand
  end,         ///< the file ended right after the last whole frame
  short_tail,  ///< 1 to 143 bytes follow the last whole frame: ignored
  cut_off,     ///< a whole header whose data the end of the file cut off;
               ///< `header` and `position` describe it, `bytes` is null
  read_error,  ///< the stream reported a read error
};

/// State of one walk. The buffer is the walk's own, fixed and reused: a
/// frame's bytes stay where they are until the walk next reads the log.
/// The walk never looks back at the frames it has handed out, so a pass
/// may rewrite them, or move them down over earlier ones, until then.
struct frame_walk {
  std::FILE* in = nullptr;
  /// The frame at hand (valid after walk_step::frame, header and position
  /// also after walk_step::cut_off). The rest of its header is in `bytes`.
  frame_fields header;
  unsigned char* bytes = nullptr;  ///< its 144 + packet_size bytes
  std::size_t size = 0;            ///< 144 + packet_size
  std::uint64_t position = 0;      ///< of its first byte in the file

  // Where the walk stands in the buffer.
  unsigned char* next = nullptr;   ///< first byte not yet handed out
  unsigned char* limit = nullptr;  ///< end of the bytes read
  std::uint64_t next_position = 0; ///< position in the file of `next`
  bool at_end = false;             ///< the file has no more bytes
  bool failed = false;             ///< the last read reported an error
};

/// Reads the 8-byte file header that stands before the frames; a log
/// shorter than it gets the bytes there are, then zeros. False on a read
/// error.
[[nodiscard]] bool read_file_header(std::FILE* in, file_header& header);

/// Starts a walk of the frames of `in` from its current position, which is
/// `position` bytes into the file (8, after the file header). The walk's
/// buffer is shared by all walks: one walk at a time.
void start_walk(frame_walk& walk, std::FILE* in, std::uint64_t position);

/// Hands out the next frame, reading the log as far as it needs.
[[nodiscard]] walk_step next_frame(frame_walk& walk);

/// True when the next call of next_frame reads the log, after which the
/// bytes of the frames handed out so far are gone. A pass that holds on to
/// them (the copy, writing runs of frames) writes them out first.
[[nodiscard]] bool walk_reads_next(const frame_walk& walk);

/// Prints the line that reports a failed read of the log.
void print_read_error();

}  // namespace logtrim
