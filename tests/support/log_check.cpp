#include "support/log_check.h"

#include <cstdint>

namespace logtrim::test {

std::string check_log_consistency(const bytes& log) {
  if (log.size() < FILE_HEADER_SIZE) return "shorter than the file header";
  std::uint32_t latest[CHANNEL_COUNT] = {};
  std::uint16_t previous_block_size = 0;
  std::uint64_t pos = FILE_HEADER_SIZE;
  while (pos < log.size()) {
    std::string at = "frame at " + std::to_string(pos) + ": ";
    if (log.size() - pos < FRAME_HEADER_SIZE) return at + "header cut short";
    frame_header h = decode_frame_header(log.data() + pos);
    if (log.size() - pos - FRAME_HEADER_SIZE < h.packet_size) return at + "data cut short";
    std::uint32_t here = static_cast<std::uint32_t>(pos);
    if (h.channel < CHANNEL_COUNT) latest[h.channel] = here;
    if (h.frame_offset != here)
      return at + "frame_offset " + std::to_string(h.frame_offset);
    for (std::size_t c = 0; c < CHANNEL_COUNT; ++c)
      if (h.last_frame_offset[c] != latest[c])
        return at + "last_frame_offset[" + std::to_string(c) + "] " +
               std::to_string(h.last_frame_offset[c]) + ", expected " +
               std::to_string(latest[c]);
    if (h.previous_block_size != previous_block_size)
      return at + "previous_block_size " + std::to_string(h.previous_block_size) +
             ", expected " + std::to_string(previous_block_size);
    previous_block_size = h.block_size;
    pos += FRAME_HEADER_SIZE + h.packet_size;
  }
  return "";
}

}  // namespace logtrim::test
