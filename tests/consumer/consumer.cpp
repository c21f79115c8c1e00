// Another project's program, built against the installed library: encodes
// a frame header and decodes it again, writes a one-frame log, prints its
// summary and cuts a copy of it to the path given as the only argument.
#include <cstdio>

#include "ops/cutter.h"
#include "ops/summary.h"
#include "sonarlog/frame_header.h"
#include "sonarlog/run_options.h"

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  logtrim::frame_header h;
  h.channel = 2;
  h.frame_index = 41;
  h.water_depth = 32.808399f;  // 10 m
  h.speed = 3.5f;
  unsigned char bytes[logtrim::FRAME_HEADER_SIZE];
  logtrim::encode_frame_header(h, bytes);
  logtrim::frame_header back = logtrim::decode_frame_header(bytes);
  std::printf("decoded: channel %u, frame %u\n", unsigned{back.channel},
              unsigned{back.frame_index});

  std::FILE* log = std::tmpfile();
  if (!log) return 1;
  logtrim::file_header fh = {};
  std::fwrite(fh.bytes, 1, sizeof fh.bytes, log);
  std::fwrite(bytes, 1, sizeof bytes, log);
  std::fseek(log, static_cast<long>(logtrim::FILE_HEADER_SIZE), SEEK_SET);
  if (!logtrim::scan_log(log)) return 1;

  // The copy counts its frames from the start of the range.
  logtrim::run_options.cut_start = 40;
  logtrim::run_options.cut_end = 50;
  std::rewind(log);
  std::FILE* copy = std::fopen(argv[1], "wb");
  if (!copy || !logtrim::cut_log(log, copy)) return 1;
  std::fclose(log);

  copy = std::fopen(argv[1], "rb");
  if (!copy || std::fseek(copy, static_cast<long>(logtrim::FILE_HEADER_SIZE),
                          SEEK_SET) != 0 ||
      std::fread(bytes, 1, sizeof bytes, copy) != sizeof bytes)
    return 1;
  std::fclose(copy);
  back = logtrim::decode_frame_header(bytes);
  std::printf("copied: frame %u at offset %u\n", unsigned{back.frame_index},
              unsigned{back.frame_offset});
  return 0;
}
