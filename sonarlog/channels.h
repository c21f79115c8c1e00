// Channel numbers, their display names and the deletion groups that the
// letters P, D and S select.
#pragma once

#include <cstdint>

namespace logtrim {

/// Display name of channels 0 to 5; "Invalid" for any higher number.
[[nodiscard]] const char* channel_name(std::uint16_t channel);

/// True when the run's letters drop `channel` from the copy: P covers 0 and
/// 1, D covers 2, S covers 3 to 5. No letter covers a channel above 5.
[[nodiscard]] bool is_channel_deleted(std::uint16_t channel);

}  // namespace logtrim
