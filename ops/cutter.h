// The frame cutter: the copy pass that writes a trimmed, self-consistent log.
#pragma once

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

}  // namespace logtrim
