// The rule by which both passes walk a log: read exactly 144 header bytes,
// then the frame's `packet_size` data bytes. The frame sequence ends where
// a whole header can no longer be read; a shorter tail is ignored. The
// passes follow it through the window of sonarlog/frame_window.h.
#pragma once

namespace logtrim {

enum class frame_read {
  whole,  ///< the whole piece was read
  end,    ///< the file ended first (clean end, short tail or cut-off data)
  error,  ///< the stream reported a read error
};

/// Prints the line that reports a failed read of the log.
void print_read_error();

}  // namespace logtrim
