// The window through which both passes walk a log: the log is read in
// large blocks into one fixed buffer and each frame is used where it lies
// there. Frame data is never copied on its own and no stream call is made
// per frame, which keeps the passes at the speed of reading the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "sonarlog/frame_reader.h"

namespace logtrim {

/// Size of the reads. They end at multiples of it in the file, so that each
/// read after the first is a whole number of the log's stream buffers,
/// which the stream reads straight into the window rather than through its
/// own buffer.
inline constexpr std::size_t READ_BLOCK_SIZE = 1 << 20;
/// A header and the most data its 16-bit packet_size allows.
inline constexpr std::size_t LARGEST_FRAME_SIZE = FRAME_HEADER_SIZE + 0xFFFF;

/// The bytes read and not yet walked, [next, limit), in the one window
/// buffer that the passes use in turn.
struct frame_window {
  unsigned char* next = nullptr;
  unsigned char* limit = nullptr;
  std::size_t read_size = 0;  ///< size of the next read
  bool at_end = false;        ///< the file has no more bytes
};

/// Starts a walk of a log whose stream stands `position` bytes into it.
[[nodiscard]] frame_window start_frame_window(std::uint64_t position);

/// Bytes read and not yet walked.
[[nodiscard]] inline std::size_t available(const frame_window& w) {
  return static_cast<std::size_t>(w.limit - w.next);
}

/// Makes `size` bytes, at most LARGEST_FRAME_SIZE, available from w.next.
/// When fewer are, reads on, moving the bytes not yet walked in front of
/// the new block: any other pointer into the window is stale after that.
/// `end` when the file ends first, `error` when a read fails.
[[nodiscard]] frame_read make_available(std::FILE* in, frame_window& w,
                                        std::size_t size);

}  // namespace logtrim
