// The frame cutter: the copy pass that writes a trimmed, self-consistent log.
#pragma once

#include <cstdint>
#include <cstdio>

namespace logtrim {

/// Copies the file header of `in` (positioned at its start) to `out`, then
/// every frame that the range selects and whose channel is not deleted,
/// rewriting each copied header's frame_offset, last_frame_offset[],
/// previous_block_size and frame_index so that they describe the copy.
///
/// The range is [cut_start, cut_end] of frame indices, and the copy's
/// indices count from cut_start. With cut_by_time it is [time_from,
/// time_to] of a frame's time_ms less the first frame's, modulo 2^32, and
/// each channel number's indices in the copy count from its first kept
/// frame.
///
/// A last frame whose data the file cuts short is left out. Closes `out` on
/// every path; `in` stays open.
///
/// Returns 1 on success. Returns 0 after printing "Read error!" or "Write
/// error!" when a read of `in` or a write or the close of `out` fails; what
/// was written stays in the output.
[[nodiscard]] int cut_log(std::FILE* in, std::FILE* out);

/// What a copy of the log holds: its frames, and its bytes with the file
/// header.
struct cut_size {
  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;
};

/// Walks `in` (positioned at its start) as cut_log does with the current
/// run_options, and tells what the copy would hold, writing nothing.
/// Returns 1, or 0 after printing "Read error!".
[[nodiscard]] int measure_cut(std::FILE* in, cut_size& size);

}  // namespace logtrim
