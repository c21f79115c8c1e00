#include "tools/log_generator.h"

#include <algorithm>
#include <iterator>

#include "sonarlog/byte_order.h"
#include "sonarlog/frame_header.h"

// Every value is computed with +, -, * and / on doubles alone (no library
// sine or logarithm, whose last bits differ between C libraries) and built
// with floating-point contraction off, so that a seed gives the same bytes
// on every host.

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

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2 * PI;

// Sine by its Taylor series on [-pi/2, pi/2], to better than 1e-9.
double sine(double x) {
  while (x > PI) x -= TWO_PI;
  while (x < -PI) x += TWO_PI;
  if (x > PI / 2) x = PI - x;
  if (x < -PI / 2) x = -PI - x;
  double x2 = x * x;
  double term = x;
  double sum = x;
  for (int n = 2; n <= 14; n += 2) {
    term = -term * x2 / (n * (n + 1));
    sum += term;
  }
  return sum;
}

double cosine(double x) { return sine(x + PI / 2); }

double wrapped_angle(double a) {
  while (a >= TWO_PI) a -= TWO_PI;
  while (a < 0) a += TWO_PI;
  return a;
}

// Nearest whole number, halves away from zero, as an i32 field holds it.
std::int32_t rounded(double v) {
  return static_cast<std::int32_t>(v < 0 ? v - 0.5 : v + 0.5);
}

// Recorders write a fixed-size block per channel, side-scan the largest.
std::uint16_t packet_size_for(std::uint16_t channel) {
  static const std::uint16_t SIZE[CHANNEL_COUNT] = {1920, 1920, 1400, 2800, 2800, 2800};
  return channel < CHANNEL_COUNT ? SIZE[channel] : 1024;
}

// The transducer frequency a channel records with, as the recorder's code.
std::uint8_t frequency_code_for(std::uint16_t channel) {
  static const std::uint8_t CODE[CHANNEL_COUNT] = {0, 1, 7, 8, 8, 8};
  return channel < CHANNEL_COUNT ? CODE[channel] : 0;
}

// The displayed range: from the surface down to the first of the
// recorder's steps below the bottom, so that the bottom lies inside the
// echo picture, never on its last sample.
float lower_limit_for(double depth) {
  for (double step : {20.0, 40.0, 60.0, 80.0})
    if (depth < step) return static_cast<float>(step);
  return 100;
}

// 10 degrees east, 45 degrees north, in Mercator metres of MERCATOR_RADIUS:
// R * lon and R * ln(tan(pi/4 + lat/2)).
constexpr double START_EASTING = 1109462.576165591;
constexpr double START_NORTHING = 5602673.588961234;
// Mercator metres per metre on the ground at 45 degrees: 1 / cos(45 deg).
constexpr double MERCATOR_SCALE = 1.4142135623730951;
// A speed as recorded, taken as knots, in metres per second.
constexpr double METRES_PER_SECOND_PER_KNOT = 1852.0 / 3600.0;
// Recorders start a log wherever the unit's clock and each channel's frame
// counter stand: seeded starts below these.
constexpr std::uint64_t START_TIME_SPAN_MS = 4000000;
constexpr std::uint64_t START_INDEX_SPAN = 8000;

// Each value follows a slope that itself changes slowly, so the readings
// drift smoothly like a boat over a sloping bottom.
struct drifting {
  double value;
  double slope = 0;
};

void drift(drifting& d, double low, double high, double max_slope, random_source& r) {
  d.slope = std::clamp(d.slope + (next_unit(r) - 0.5) * max_slope / 4, -max_slope, max_slope);
  d.value += d.slope;
  if (d.value < low || d.value > high) {
    d.value = std::clamp(d.value, low, high);
    d.slope = -d.slope;
  }
}

struct boat_state {
  drifting depth{20};  // feet
  drifting speed{4};   // knots
  drifting temperature{18};
  drifting turn{0};          // radians per second
  drifting leeway{0};        // heading less course, radians
  double course = 0;         // radians
  double easting = START_EASTING;
  double northing = START_NORTHING;
  std::uint32_t milliseconds = 0;  // counts on modulo 2^32, as the unit's clock
};

// Where each channel stands: its own frame counter, and for a traditional
// channel the ping it next sounds at.
struct channel_state {
  std::uint32_t frame_index = 0;
  std::uint64_t next_ping = 0;
};

bool is_traditional(std::uint16_t channel) { return channel == 0 || channel == 1; }

// A traditional channel sounds at about every second ping. Now and then it
// waits one ping more or less, so that the two drift out of step and end
// with different counts, as recorded.
std::uint64_t next_traditional_ping(std::uint64_t ping, random_source& r) {
  switch (next_random(r) % 32) {
    case 0: return ping + 1;
    case 1: return ping + 3;
    default: return ping + 2;
  }
}

// One ping later: depth and speed drift as they always have
// (their own random source, so the other values do not move them), the
// rest follows along the track.
void advance(boat_state& boat, random_source& sounding, random_source& track) {
  drift(boat.depth, 3.0, 60.0, 0.3, sounding);
  drift(boat.speed, 0.0, 15.0, 0.05, sounding);
  std::uint32_t interval = 60 + static_cast<std::uint32_t>(next_random(track) % 21);
  double seconds = interval / 1000.0;
  boat.milliseconds += interval;
  drift(boat.temperature, 10.0, 25.0, 0.0005, track);
  drift(boat.turn, -0.05, 0.05, 0.002, track);
  drift(boat.leeway, -0.15, 0.15, 0.001, track);
  boat.course = wrapped_angle(boat.course + boat.turn.value * seconds);
  double metres = boat.speed.value * METRES_PER_SECOND_PER_KNOT * seconds * MERCATOR_SCALE;
  boat.easting += metres * sine(boat.course);
  boat.northing += metres * cosine(boat.course);
}

// An echo picture of the water column from the surface to the lower limit:
// faint noise, a strong return at the bottom fading below it.
void fill_echoes(unsigned char* data, std::size_t size, double depth, double lower_limit,
                 random_source& r) {
  std::size_t bottom = depth > 0 ? static_cast<std::size_t>(depth / lower_limit * size) : size;
  std::uint64_t noise = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (i % 8 == 0) noise = next_random(r);
    unsigned level = static_cast<unsigned>(noise >> (8 * (i % 8))) & 0x1F;
    if (i >= bottom) {
      std::size_t below = i - bottom;
      level += below < 200 ? 220 - static_cast<unsigned>(below) : 20;
    }
    data[i] = static_cast<unsigned char>(std::min(level, 255u));
  }
}

}  // namespace

int write_generated_log(std::FILE* out, const generator_settings& settings) {
  random_source sounding{settings.seed};
  random_source track{settings.seed ^ 0x747261636b000000ULL};
  random_source echoes{settings.seed ^ 0x6563686f00000000ULL};
  random_source schedule{settings.seed ^ 0x70696e6700000000ULL};

  unsigned char file_header_bytes[FILE_HEADER_SIZE] = {};
  store_u16le(file_header_bytes + 0, GENERATED_FORMAT);
  store_u16le(file_header_bytes + 2, GENERATED_VERSION);
  store_u16le(file_header_bytes + 4, GENERATED_BLOCK_SIZE);
  std::size_t header_size =
      static_cast<std::size_t>(std::min<std::uint64_t>(settings.size, FILE_HEADER_SIZE));
  if (std::fwrite(file_header_bytes, 1, header_size, out) != header_size) return 0;

  boat_state boat;
  boat.easting += (next_unit(track) - 0.5) * 4000;
  boat.northing += (next_unit(track) - 0.5) * 4000;
  boat.course = next_unit(track) * TWO_PI;
  boat.temperature.value = 14 + 6 * next_unit(track);
  boat.milliseconds = settings.start_time_ms.value_or(
      static_cast<std::uint32_t>(next_random(schedule) % START_TIME_SPAN_MS));

  std::vector<channel_state> channels(settings.channels.size());
  std::uint64_t traditional_seen = 0;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (!settings.indices_from_zero && !settings.lockstep)
      channels[i].frame_index = static_cast<std::uint32_t>(next_random(schedule) % START_INDEX_SPAN);
    // The traditional channels take turns from the first pings on.
    if (is_traditional(settings.channels[i])) channels[i].next_ping = traditional_seen++ % 2;
  }

  std::uint64_t position = FILE_HEADER_SIZE;
  std::uint32_t offset_table[CHANNEL_COUNT] = {};
  std::uint16_t previous_block_size = 0;
  unsigned char header_bytes[FRAME_HEADER_SIZE];
  unsigned char data[MAX_PACKET_SIZE];

  for (std::uint64_t ping = 0; !settings.channels.empty(); ++ping) {
    if (ping > 0) advance(boat, sounding, track);
    float lower_limit = lower_limit_for(boat.depth.value);
    std::uint32_t frame_time = boat.milliseconds;
    for (std::size_t i = 0; i < channels.size(); ++i) {
      std::uint16_t channel = settings.channels[i];
      channel_state& state = channels[i];
      if (!settings.lockstep && is_traditional(channel)) {
        if (ping < state.next_ping) continue;
        state.next_ping = next_traditional_ping(ping, schedule);
      }
      frame_header h;
      h.packet_size = packet_size_for(channel);
      if (position + FRAME_HEADER_SIZE + h.packet_size > settings.size) return 1;

      std::uint32_t here = static_cast<std::uint32_t>(position);
      if (channel < CHANNEL_COUNT) offset_table[channel] = here;
      h.frame_offset = here;
      std::copy(std::begin(offset_table), std::end(offset_table), h.last_frame_offset);
      h.block_size = static_cast<std::uint16_t>(FRAME_HEADER_SIZE + h.packet_size);
      h.previous_block_size = previous_block_size;
      h.channel = channel;
      h.frame_index = settings.lockstep ? static_cast<std::uint32_t>(ping) : state.frame_index++;
      // Now and then the sounder loses the bottom and records no depth.
      h.water_depth = next_random(sounding) % 250 == 0 ? 0.0f
                                                       : static_cast<float>(boat.depth.value);
      h.speed = static_cast<float>(boat.speed.value);
      h.time_ms = frame_time;
      encode_frame_header(h, header_bytes);

      namespace r = recorded_field;
      store_f32le(header_bytes + r::UPPER_LIMIT, 0.0f);
      store_f32le(header_bytes + r::LOWER_LIMIT, lower_limit);
      header_bytes[r::FREQUENCY] = frequency_code_for(channel);
      store_u32le(header_bytes + r::UNIT_CLOCK, settings.no_unit_clock ? 0xFFFFFFFF : frame_time);
      store_f32le(header_bytes + r::TEMPERATURE, static_cast<float>(boat.temperature.value));
      store_u32le(header_bytes + r::EASTING, static_cast<std::uint32_t>(rounded(boat.easting)));
      store_u32le(header_bytes + r::NORTHING, static_cast<std::uint32_t>(rounded(boat.northing)));
      store_f32le(header_bytes + r::COURSE, static_cast<float>(boat.course));
      store_f32le(header_bytes + r::HEADING,
                  static_cast<float>(wrapped_angle(boat.course + boat.leeway.value)));

      fill_echoes(data, h.packet_size, h.water_depth, lower_limit, echoes);
      if (std::fwrite(header_bytes, 1, sizeof header_bytes, out) != sizeof header_bytes ||
          std::fwrite(data, 1, h.packet_size, out) != h.packet_size)
        return 0;
      previous_block_size = h.block_size;
      position += h.block_size;
      // The channels of a ping sound within a few milliseconds.
      frame_time += static_cast<std::uint32_t>(next_random(track) % 3);
    }
    // A ping with many channels must not make the next one start earlier.
    // Differences, not values, so that the clock may pass 2^32.
    if (static_cast<std::int32_t>(frame_time - boat.milliseconds) > 0)
      boat.milliseconds = frame_time;
  }
  return 1;
}

}  // namespace logtrim
