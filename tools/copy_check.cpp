#include "tools/copy_check.h"

#include <cstring>
#include <optional>
#include <vector>

#include "sonarlog/byte_order.h"
#include "sonarlog/frame_header.h"

namespace logtrim {

namespace {

namespace f = frame_field;

constexpr std::uint64_t FOUR_GIB = std::uint64_t{1} << 32;
// Frame data is compared in pieces of this size.
constexpr std::size_t PIECE_SIZE = 16384;

struct walk {
  const copy_selection& selection;
  copy_report& report;
  std::uint64_t position = FILE_HEADER_SIZE;  // of the next frame in the copy
  std::uint32_t latest[CHANNEL_COUNT] = {};
  std::uint16_t previous_block_size = 0;
  std::uint32_t time_origin = 0;
  std::vector<std::optional<std::uint32_t>> first_index =
      std::vector<std::optional<std::uint32_t>>(1 << 16);
};

bool read_exactly(std::FILE* in, unsigned char* bytes, std::size_t size) {
  return std::fread(bytes, 1, size, in) == size;
}

std::string fault(const walk& w, const char* what) {
  return "frame " + std::to_string(w.report.copied_frames) + " at " +
         std::to_string(w.position) + " of the copy: " + what;
}

bool is_rewritten_byte(const walk& w, std::size_t i) {
  return i < f::BLOCK_SIZE ||
         (i >= f::PREVIOUS_BLOCK_SIZE && i < f::PREVIOUS_BLOCK_SIZE + 2) ||
         (w.selection.by_time && i >= f::FRAME_INDEX && i < f::FRAME_INDEX + 4);
}

bool is_selected(walk& w, const unsigned char* log) {
  std::uint32_t time = load_u32le(log + f::SOUNDING_TIME);
  if (w.report.log_frames == 0) w.time_origin = time;
  if (!w.selection.by_time) return true;
  time -= w.time_origin;
  return time >= w.selection.from_ms && time <= w.selection.to_ms;
}

// Compares one frame header of the log with its copy and checks the copy's
// rewritten fields against the copy's own 64-bit walk.
std::string check_header(walk& w, const unsigned char* log, const unsigned char* copy) {
  for (std::size_t i = 0; i < FRAME_HEADER_SIZE; ++i)
    if (!is_rewritten_byte(w, i) && log[i] != copy[i])
      return fault(w, "a header byte that is copied as it is differs");
  std::uint32_t low_bits = static_cast<std::uint32_t>(w.position);
  std::uint16_t channel = load_u16le(copy + f::CHANNEL);
  if (channel < CHANNEL_COUNT) w.latest[channel] = low_bits;
  if (load_u32le(copy + f::FRAME_OFFSET) != low_bits)
    return fault(w, "frame_offset is not the low 32 bits of the position");
  for (std::size_t c = 0; c < CHANNEL_COUNT; ++c)
    if (load_u32le(copy + f::LAST_FRAME_OFFSET + 4 * c) != w.latest[c])
      return fault(w, "a last_frame_offset is not the latest frame of its channel");
  if (load_u16le(copy + f::PREVIOUS_BLOCK_SIZE) != w.previous_block_size)
    return fault(w, "previous_block_size is not the block size of the frame before");
  w.previous_block_size = load_u16le(copy + f::BLOCK_SIZE);
  if (w.selection.by_time) {
    std::uint32_t index = load_u32le(log + f::FRAME_INDEX);
    std::optional<std::uint32_t>& first = w.first_index[channel];
    if (!first) first = index;
    if (load_u32le(copy + f::FRAME_INDEX) != index - *first)
      return fault(w, "frame_index does not count from the channel's first kept frame");
  }
  return "";
}

// Passes over or compares `size` data bytes of the log, and of the copy
// when the frame is kept.
std::string check_data(walk& w, std::FILE* log, std::FILE* copy, std::uint32_t size,
                       bool kept) {
  unsigned char log_bytes[PIECE_SIZE];
  unsigned char copy_bytes[PIECE_SIZE];
  while (size > 0) {
    std::size_t piece = size < PIECE_SIZE ? size : PIECE_SIZE;
    if (!read_exactly(log, log_bytes, piece) ||
        (kept && !read_exactly(copy, copy_bytes, piece)))
      return fault(w, "the data ends early");
    if (kept && std::memcmp(log_bytes, copy_bytes, piece) != 0)
      return fault(w, "the data differs");
    size -= static_cast<std::uint32_t>(piece);
  }
  return "";
}

}  // namespace

std::string check_copy(std::FILE* log, std::FILE* copy, const copy_selection& selection,
                       copy_report& report) {
  report = {};
  walk w{selection, report};
  unsigned char log_header[FRAME_HEADER_SIZE];
  unsigned char copy_header[FRAME_HEADER_SIZE];
  if (!read_exactly(log, log_header, FILE_HEADER_SIZE) ||
      !read_exactly(copy, copy_header, FILE_HEADER_SIZE) ||
      std::memcmp(log_header, copy_header, FILE_HEADER_SIZE) != 0)
    return fault(w, "the file headers differ");

  while (read_exactly(log, log_header, FRAME_HEADER_SIZE)) {
    bool kept = is_selected(w, log_header);
    ++report.log_frames;
    if (kept) {
      if (!read_exactly(copy, copy_header, FRAME_HEADER_SIZE))
        return fault(w, "the copy ends before this frame");
      if (std::string f = check_header(w, log_header, copy_header); !f.empty()) return f;
    }
    std::uint16_t size = load_u16le(log_header + f::PACKET_SIZE);
    if (std::string f = check_data(w, log, copy, size, kept); !f.empty()) return f;
    if (!kept) continue;
    if (w.position >= FOUR_GIB) ++report.frames_past_4_gib;
    w.position += FRAME_HEADER_SIZE + size;
    ++report.copied_frames;
  }
  if (std::ferror(log) || std::ferror(copy)) return fault(w, "read error");
  if (std::fgetc(copy) != EOF) return fault(w, "the copy goes on after the last frame");
  report.copy_bytes = w.position;
  return "";
}

}  // namespace logtrim
