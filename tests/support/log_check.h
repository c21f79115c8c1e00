// Checks that a log is consistent in itself, as every copy must be.
#pragma once

#include <string>

#include "support/log_builder.h"

namespace logtrim::test {

/// Walks the frames of `log` and returns "" when every frame_offset is the
/// frame's position (low 32 bits), every last_frame_offset slot holds the
/// position of the latest frame of that channel up to and including this
/// one (or 0), every previous_block_size is the block_size of the frame
/// before (0 for the first), and the last frame ends exactly at the end of
/// the file. Otherwise describes the first fault found.
[[nodiscard]] std::string check_log_consistency(const bytes& log);

}  // namespace logtrim::test
