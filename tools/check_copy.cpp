// check_copy: checks that COPY is a whole copy of LOG, as `logtrim -c 0:-1`
// writes it, by walking both files side by side with 64-bit positions.
//
//   check_copy LOG COPY
//
// Every frame of LOG must be in COPY, in order, with the same data and the
// same header bytes except the position fields and previous_block_size,
// which must describe COPY itself: positions stored as their low 32 bits.
// LOG must end with a whole frame, as generated logs do. Prints one line
// saying what was checked, or the first fault, and exits with 0 or 1. Made
// for logs larger than 4 GiB, so nothing is held whole.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "sonarlog/byte_order.h"
#include "sonarlog/frame_header.h"

namespace {

using namespace logtrim;
namespace f = frame_field;

constexpr std::uint64_t FOUR_GIB = std::uint64_t{1} << 32;
// Frame data is compared in pieces of this size.
constexpr std::size_t PIECE_SIZE = 16384;

struct walk {
  std::uint64_t frames = 0;
  std::uint64_t frames_past_4_gib = 0;
  std::uint64_t position = FILE_HEADER_SIZE;
  std::uint32_t latest[CHANNEL_COUNT] = {};
  std::uint16_t previous_block_size = 0;
};

bool read_exactly(std::FILE* in, unsigned char* bytes, std::size_t size) {
  return std::fread(bytes, 1, size, in) == size;
}

bool fail(const walk& w, const char* what) {
  std::printf("check_copy: frame %" PRIu64 " at %" PRIu64 " of the copy: %s\n",
              w.frames, w.position, what);
  return false;
}

bool is_rewritten_byte(std::size_t i) {
  return i < f::BLOCK_SIZE ||
         (i >= f::PREVIOUS_BLOCK_SIZE && i < f::PREVIOUS_BLOCK_SIZE + 2);
}

// Compares one frame header of the log with its copy and checks the copy's
// position fields against the copy's own 64-bit walk.
bool check_header(walk& w, const unsigned char* log, const unsigned char* copy) {
  for (std::size_t i = 0; i < FRAME_HEADER_SIZE; ++i)
    if (!is_rewritten_byte(i) && log[i] != copy[i])
      return fail(w, "a header byte that is copied as it is differs");
  std::uint32_t low_bits = static_cast<std::uint32_t>(w.position);
  std::uint16_t channel = load_u16le(copy + f::CHANNEL);
  if (channel < CHANNEL_COUNT) w.latest[channel] = low_bits;
  if (load_u32le(copy + f::FRAME_OFFSET) != low_bits)
    return fail(w, "frame_offset is not the low 32 bits of the position");
  for (std::size_t c = 0; c < CHANNEL_COUNT; ++c)
    if (load_u32le(copy + f::LAST_FRAME_OFFSET + 4 * c) != w.latest[c])
      return fail(w, "a last_frame_offset is not the latest frame of its channel");
  if (load_u16le(copy + f::PREVIOUS_BLOCK_SIZE) != w.previous_block_size)
    return fail(w, "previous_block_size is not the block size of the frame before");
  w.previous_block_size = load_u16le(copy + f::BLOCK_SIZE);
  return true;
}

bool check_copy(std::FILE* log, std::FILE* copy) {
  walk w;
  unsigned char log_bytes[PIECE_SIZE];
  unsigned char copy_bytes[PIECE_SIZE];
  if (!read_exactly(log, log_bytes, FILE_HEADER_SIZE) ||
      !read_exactly(copy, copy_bytes, FILE_HEADER_SIZE) ||
      std::memcmp(log_bytes, copy_bytes, FILE_HEADER_SIZE) != 0)
    return fail(w, "the file headers differ");

  unsigned char log_header[FRAME_HEADER_SIZE];
  unsigned char copy_header[FRAME_HEADER_SIZE];
  while (read_exactly(log, log_header, FRAME_HEADER_SIZE)) {
    std::uint32_t left = load_u16le(log_header + f::PACKET_SIZE);
    if (!read_exactly(copy, copy_header, FRAME_HEADER_SIZE))
      return fail(w, "the copy ends before this frame");
    if (!check_header(w, log_header, copy_header)) return false;
    while (left > 0) {
      std::size_t piece = left < PIECE_SIZE ? left : PIECE_SIZE;
      if (!read_exactly(log, log_bytes, piece) ||
          !read_exactly(copy, copy_bytes, piece))
        return fail(w, "the data ends early");
      if (std::memcmp(log_bytes, copy_bytes, piece) != 0)
        return fail(w, "the data differs");
      left -= static_cast<std::uint32_t>(piece);
    }
    if (w.position >= FOUR_GIB) ++w.frames_past_4_gib;
    w.position += FRAME_HEADER_SIZE + load_u16le(log_header + f::PACKET_SIZE);
    ++w.frames;
  }
  if (std::ferror(log) || std::ferror(copy)) return fail(w, "read error");
  if (std::fgetc(copy) != EOF) return fail(w, "the copy goes on after the last frame");
  std::printf("check_copy: %" PRIu64 " frames, %" PRIu64
              " of them past 4 GiB, copy of %" PRIu64
              " bytes: data and copied header bytes identical, positions "
              "stored as their low 32 bits\n",
              w.frames, w.frames_past_4_gib, w.position);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::puts("Usage: check_copy LOG COPY");
    return 1;
  }
  std::FILE* log = std::fopen(argv[1], "rb");
  std::FILE* copy = std::fopen(argv[2], "rb");
  if (!log || !copy) {
    std::printf("check_copy: can't open %s\n", log ? argv[2] : argv[1]);
    return 1;
  }
  static char log_buffer[1 << 20];
  static char copy_buffer[1 << 20];
  std::setvbuf(log, log_buffer, _IOFBF, sizeof log_buffer);
  std::setvbuf(copy, copy_buffer, _IOFBF, sizeof copy_buffer);
  bool ok = check_copy(log, copy);
  std::fclose(log);
  std::fclose(copy);
  return ok ? 0 : 1;
}
