#include "sonarlog/frame_reader.h"

#include <sys/types.h>

#include <algorithm>

namespace logtrim {

static frame_read outcome_of_short_read(std::FILE* in) {
  return std::ferror(in) ? frame_read::error : frame_read::end;
}

frame_read read_frame_header(std::FILE* in, frame_header& header) {
  unsigned char bytes[FRAME_HEADER_SIZE];
  if (std::fread(bytes, 1, sizeof bytes, in) != sizeof bytes)
    return outcome_of_short_read(in);
  header = decode_frame_header(bytes);
  return frame_read::whole;
}

frame_read read_frame_data(std::FILE* in, std::size_t size,
                           unsigned char* buffer) {
  size = std::min(size, MAX_PACKET_SIZE);
  if (std::fread(buffer, 1, size, in) != size) return outcome_of_short_read(in);
  return frame_read::whole;
}

frame_read pass_over_frame_data(std::FILE* in, std::uint32_t size,
                                unsigned char* buffer) {
  while (size > 0) {
    std::size_t piece = std::min<std::size_t>(size, MAX_PACKET_SIZE);
    frame_read r = read_frame_data(in, piece, buffer);
    if (r != frame_read::whole) return r;
    size -= static_cast<std::uint32_t>(piece);
  }
  return frame_read::whole;
}

frame_read check_frame_data_present(std::FILE* in, std::uint32_t size) {
  if (size == 0) return frame_read::whole;
  off_t start = ftello(in);
  if (start < 0 || fseeko(in, static_cast<off_t>(size) - 1, SEEK_CUR) != 0)
    return frame_read::error;
  bool present = std::fgetc(in) != EOF;
  if (!present && std::ferror(in)) return frame_read::error;
  // The seek back also clears the end-of-file mark that fgetc may have set.
  if (fseeko(in, start, SEEK_SET) != 0) return frame_read::error;
  return present ? frame_read::whole : frame_read::end;
}

void print_read_error() { std::puts("Read error!"); }

}  // namespace logtrim
