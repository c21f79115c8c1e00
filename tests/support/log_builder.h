// Small logs built in memory, frame by frame, with chosen fields.
#pragma once

#include <cstdint>
#include <vector>

#include "sonarlog/frame_header.h"

namespace logtrim::test {

using bytes = std::vector<unsigned char>;

/// The file header every built log starts with.
inline const bytes BUILT_FILE_HEADER = {'L', 'O', 'G', 'H', 'D', 'R', 0x01, 0x02};

/// A frame header with a recognisable pattern in its recorded bytes and
/// block_size = 144 + packet_size.
[[nodiscard]] frame_header make_frame(std::uint16_t channel,
                                      std::uint32_t frame_index,
                                      std::uint16_t packet_size = 16,
                                      float water_depth = 10, float speed = 2);

/// The `packet_size` data bytes of a built frame, each derived from the
/// frame index, channel and its place in the data.
[[nodiscard]] bytes frame_data(const frame_header& header);

/// Appends the frame's header and its frame_data.
void append_frame(bytes& log, const frame_header& header);

/// BUILT_FILE_HEADER followed by the frames.
[[nodiscard]] bytes build_log(const std::vector<frame_header>& frames);

/// The headers of the whole frames of `log`, decoded.
[[nodiscard]] std::vector<frame_header> decode_frames(const bytes& log);

/// The 144 encoded bytes of `header`.
[[nodiscard]] bytes encoded(const frame_header& header);

}  // namespace logtrim::test
