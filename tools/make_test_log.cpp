// make_test_log: writes a generated sonar log of a given size.
//
//   make_test_log [-s SEED] [-c CHANNELS] [-z] [-u] [-l] OUTPUT SIZE
//
// SIZE is a number of bytes with an optional K, M or G (powers of 1024);
// CHANNELS a comma-separated list of channel numbers (default 0,1,2,5).
// Each channel counts its own frames from a seeded start: -z starts every
// channel at 0, as a fresh recording does. -u writes a unit without a clock
// (0xFFFFFFFF at offset 60). -l writes every channel at every ping with one
// shared frame index from 0.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/log_generator.h"

namespace {

const char* const USAGE =
    "Usage: make_test_log [-s SEED] [-c CHANNELS] [-z] [-u] [-l] OUTPUT SIZE[K|M|G]";

bool parse_u64(const char* text, unsigned long long& value, char* suffix) {
  errno = 0;
  char* end = nullptr;
  value = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *text == '-') return false;
  *suffix = *end;
  return *end == '\0' || end[1] == '\0';
}

bool parse_size(const char* text, std::uint64_t& size) {
  unsigned long long value = 0;
  char suffix = 0;
  if (!parse_u64(text, value, &suffix)) return false;
  int shift = 0;
  switch (suffix) {
    case '\0': shift = 0; break;
    case 'K': case 'k': shift = 10; break;
    case 'M': case 'm': shift = 20; break;
    case 'G': case 'g': shift = 30; break;
    default: return false;
  }
  if (value > (~0ULL >> shift)) return false;
  size = value << shift;
  return true;
}

bool parse_channels(const char* text, std::vector<std::uint16_t>& channels) {
  channels.clear();
  const char* p = text;
  while (*p) {
    char* end = nullptr;
    errno = 0;
    unsigned long c = std::strtoul(p, &end, 10);
    if (errno != 0 || end == p || c > 65535) return false;
    channels.push_back(static_cast<std::uint16_t>(c));
    p = *end == ',' ? end + 1 : end;
    if (*end != ',' && *end != '\0') return false;
  }
  return !channels.empty();
}

}  // namespace

int main(int argc, char** argv) {
  logtrim::generator_settings settings;
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    unsigned long long seed = 0;
    char suffix = 0;
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (std::strcmp(argv[i], "-z") == 0) {
      settings.indices_from_zero = true;
    } else if (std::strcmp(argv[i], "-u") == 0) {
      settings.no_unit_clock = true;
    } else if (std::strcmp(argv[i], "-l") == 0) {
      settings.lockstep = true;
    } else if (std::strcmp(argv[i], "-s") == 0 && parse_u64(value, seed, &suffix) &&
               suffix == '\0') {
      settings.seed = seed;
      ++i;
    } else if (std::strcmp(argv[i], "-c") == 0 && parse_channels(value, settings.channels)) {
      ++i;
    } else {
      std::puts(USAGE);
      return 1;
    }
  }
  if (argc - i != 2 || !parse_size(argv[i + 1], settings.size)) {
    std::puts(USAGE);
    return 1;
  }
  std::FILE* out = std::fopen(argv[i], "wb");
  if (!out) {
    std::printf("Can't create file %s\n", argv[i]);
    return 1;
  }
  static char stream_buffer[1 << 20];
  std::setvbuf(out, stream_buffer, _IOFBF, sizeof stream_buffer);
  int ok = logtrim::write_generated_log(out, settings);
  if (std::fclose(out) != 0) ok = 0;
  if (!ok) {
    std::puts("Write error!");
    return 1;
  }
  return 0;
}
