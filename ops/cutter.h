// The frame cutter: the copy pass that writes a trimmed, self-consistent log.
#pragma once

#include <cstdint>
#include <cstdio>

namespace logtrim {

/// Copies the file header of `in` (positioned at its start) to `out`, then
/// every frame whose frame_index lies in [cut_start, cut_end] and whose
/// channel is not deleted, rewriting each copied header's frame_offset,
/// last_frame_offset[], previous_block_size and frame_index so that they
/// describe the copy. A last frame whose data the file cuts short is left
/// out. Closes `out` on every path; `in` stays open.
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
