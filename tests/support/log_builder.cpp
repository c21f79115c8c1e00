#include "support/log_builder.h"

namespace logtrim::test {

frame_header make_frame(std::uint16_t channel, std::uint32_t frame_index,
                        std::uint16_t packet_size, float water_depth, float speed) {
  frame_header h;
  h.channel = channel;
  h.frame_index = frame_index;
  h.packet_size = packet_size;
  h.block_size = static_cast<std::uint16_t>(FRAME_HEADER_SIZE + packet_size);
  h.water_depth = water_depth;
  h.speed = speed;
  for (std::size_t i = 0; i < sizeof h.recorded_40; ++i)
    h.recorded_40[i] = static_cast<unsigned char>(0x40 + i + frame_index);
  for (std::size_t i = 0; i < sizeof h.recorded_68; ++i)
    h.recorded_68[i] = static_cast<unsigned char>(0x68 + i + channel);
  for (std::size_t i = 0; i < sizeof h.recorded_104; ++i)
    h.recorded_104[i] = static_cast<unsigned char>(0xA4 + i);
  return h;
}

bytes encoded(const frame_header& header) {
  bytes b(FRAME_HEADER_SIZE);
  encode_frame_header(header, b.data());
  return b;
}

bytes frame_data(const frame_header& header) {
  bytes data(header.packet_size);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<unsigned char>(header.frame_index * 31 + header.channel * 7 + i);
  return data;
}

void append_frame(bytes& log, const frame_header& header) {
  bytes h = encoded(header);
  bytes data = frame_data(header);
  log.insert(log.end(), h.begin(), h.end());
  log.insert(log.end(), data.begin(), data.end());
}

std::vector<frame_header> decode_frames(const bytes& log) {
  std::vector<frame_header> frames;
  std::size_t pos = FILE_HEADER_SIZE;
  while (pos + FRAME_HEADER_SIZE <= log.size()) {
    frames.push_back(decode_frame_header(log.data() + pos));
    pos += FRAME_HEADER_SIZE + frames.back().packet_size;
  }
  return frames;
}

bytes build_log(const std::vector<frame_header>& frames) {
  bytes log = BUILT_FILE_HEADER;
  for (const frame_header& f : frames) append_frame(log, f);
  return log;
}

}  // namespace logtrim::test
