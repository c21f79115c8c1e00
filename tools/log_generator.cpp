#include "tools/log_generator.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "sonarlog/frame_header.h"

namespace logtrim {

namespace {

// splitmix64: tiny, fast and the same on every host, unlike the standard
// library's distributions.
struct random_source {
  std::uint64_t state;
};

std::uint64_t next_random(random_source& r) {
  std::uint64_t z = (r.state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// Uniform in [0, 1).
double next_unit(random_source& r) {
  return static_cast<double>(next_random(r) >> 11) * 0x1.0p-53;
}

void fill_random(random_source& r, unsigned char* bytes, std::size_t size) {
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t v = next_random(r);
    std::memcpy(bytes + i, &v, 8);
  }
  if (i < size) {
    std::uint64_t v = next_random(r);
    std::memcpy(bytes + i, &v, size - i);
  }
}

// Recorders write a fixed-size block per channel, side-scan the largest.
std::uint16_t packet_size_for(std::uint16_t channel, random_source& r) {
  static const std::uint16_t BASE[CHANNEL_COUNT] = {1920, 1920, 1400,
                                                    2800, 2800, 2800};
  std::uint16_t base = channel < CHANNEL_COUNT ? BASE[channel] : 1024;
  return static_cast<std::uint16_t>(base + next_random(r) % 129 - 64);
}

// Depth and speed follow slopes that themselves change slowly, so the
// readings drift smoothly like a boat over a sloping bottom.
struct boat_state {
  double depth = 20;
  double depth_slope = 0;
  double speed = 4;
  double speed_slope = 0;
};

void drift_value(double& value, double& slope, double low, double high,
                 double max_slope, random_source& r) {
  slope = std::clamp(slope + (next_unit(r) - 0.5) * max_slope / 4, -max_slope,
                     max_slope);
  value += slope;
  if (value < low || value > high) {
    value = std::clamp(value, low, high);
    slope = -slope;
  }
}

void drift(boat_state& boat, random_source& r) {
  drift_value(boat.depth, boat.depth_slope, 3.0, 60.0, 0.3, r);
  drift_value(boat.speed, boat.speed_slope, 0.0, 15.0, 0.05, r);
}

}  // namespace

int write_generated_log(std::FILE* out, const generator_settings& settings) {
  random_source rng{settings.seed};
  unsigned char file_header_bytes[FILE_HEADER_SIZE];
  fill_random(rng, file_header_bytes, sizeof file_header_bytes);
  std::size_t header_size =
      static_cast<std::size_t>(std::min<std::uint64_t>(settings.size, FILE_HEADER_SIZE));
  if (std::fwrite(file_header_bytes, 1, header_size, out) != header_size) return 0;

  std::uint64_t position = FILE_HEADER_SIZE;
  std::uint32_t offset_table[CHANNEL_COUNT] = {};
  std::uint16_t previous_block_size = 0;
  boat_state boat;
  unsigned char header_bytes[FRAME_HEADER_SIZE];
  unsigned char data[MAX_PACKET_SIZE];

  for (std::uint32_t round = 0; !settings.channels.empty(); ++round) {
    drift(boat, rng);
    for (std::uint16_t channel : settings.channels) {
      frame_header h;
      h.packet_size = packet_size_for(channel, rng);
      if (position + FRAME_HEADER_SIZE + h.packet_size > settings.size) return 1;

      std::uint32_t here = static_cast<std::uint32_t>(position);
      if (channel < CHANNEL_COUNT) offset_table[channel] = here;
      h.frame_offset = here;
      std::copy(std::begin(offset_table), std::end(offset_table),
                h.last_frame_offset);
      h.block_size = static_cast<std::uint16_t>(FRAME_HEADER_SIZE + h.packet_size);
      h.previous_block_size = previous_block_size;
      h.channel = channel;
      h.frame_index = round;
      fill_random(rng, h.recorded_40, sizeof h.recorded_40);
      fill_random(rng, h.recorded_68, sizeof h.recorded_68);
      fill_random(rng, h.recorded_104, sizeof h.recorded_104);
      // Now and then the sounder loses the bottom and records no depth.
      h.water_depth = next_random(rng) % 250 == 0 ? 0.0f
                                                  : static_cast<float>(boat.depth);
      h.speed = static_cast<float>(boat.speed);

      encode_frame_header(h, header_bytes);
      fill_random(rng, data, h.packet_size);
      if (std::fwrite(header_bytes, 1, sizeof header_bytes, out) !=
              sizeof header_bytes ||
          std::fwrite(data, 1, h.packet_size, out) != h.packet_size)
        return 0;
      previous_block_size = h.block_size;
      position += h.block_size;
    }
  }
  return 1;
}

}  // namespace logtrim
