// The rule by which both passes walk a log: read exactly 144 header bytes,
// then the frame's `packet_size` data bytes. The frame sequence ends where
// a whole header can no longer be read; a shorter tail is ignored.
#pragma once

#include <cstdint>
#include <cstdio>

#include "sonarlog/frame_header.h"

namespace logtrim {

enum class frame_read {
  whole,  ///< the whole piece was read
  end,    ///< the file ended first (clean end, short tail or cut-off data)
  error,  ///< the stream reported a read error
};

/// Reads the next frame header. `end` when fewer than 144 bytes are left.
[[nodiscard]] frame_read read_frame_header(std::FILE* in, frame_header& header);

/// Reads `size` bytes, at most MAX_PACKET_SIZE, into `buffer`.
[[nodiscard]] frame_read read_frame_data(std::FILE* in, std::size_t size,
                                         unsigned char* buffer);

/// Passes over `size` data bytes by reading them in pieces through the
/// MAX_PACKET_SIZE `buffer`. Reading is cheaper than seeking here: a seek
/// on a buffered stream costs a system call even inside its buffer.
[[nodiscard]] frame_read pass_over_frame_data(std::FILE* in,
                                              std::uint32_t size,
                                              unsigned char* buffer);

/// Tells whether `size` more bytes follow the current position, and returns
/// to it. For frames too large to be held before they are written.
[[nodiscard]] frame_read check_frame_data_present(std::FILE* in,
                                                  std::uint32_t size);

/// Prints the line that reports a failed read of the log.
void print_read_error();

}  // namespace logtrim
