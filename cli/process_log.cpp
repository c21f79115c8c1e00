#include "cli/process_log.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/output_name.h"
#include "ops/cutter.h"
#include "ops/summary.h"
#include "sonarlog/frame_header.h"
#include "sonarlog/frame_reader.h"
#include "sonarlog/run_options.h"

namespace logtrim {

namespace {

// Stream buffers far larger than the default of one disk block: with them
// the copy pass makes a read or write call per 256 KiB instead of per
// 4 KiB (the summary's 1 MiB block reads are whole multiples of the log's
// buffer and go straight past it). Static, so that no run allocates them;
// a run opens one log and writes at most one copy.
constexpr std::size_t STREAM_BUFFER_SIZE = 256 * 1024;
char log_buffer[STREAM_BUFFER_SIZE];
char copy_buffer[STREAM_BUFFER_SIZE];

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using log_stream = std::unique_ptr<std::FILE, file_closer>;

// A directory opens for reading on some systems but holds no log.
bool is_directory(std::FILE* f) {
  struct stat st;
  return fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode);
}

// True when `path` is the open log itself, under another name or through a
// link: creating it would truncate the log before it is read.
bool names_the_log(const std::string& path, std::FILE* log) {
  struct stat out_st;
  struct stat log_st;
  return stat(path.c_str(), &out_st) == 0 && fstat(fileno(log), &log_st) == 0 &&
         out_st.st_dev == log_st.st_dev && out_st.st_ino == log_st.st_ino;
}

// The copy run: rewinds the log after the summary and writes the copy.
int write_trimmed_copy(std::FILE* log, const char* log_path) {
  // A pipe cannot be read a second time; find out before a copy is created.
  if (fseeko(log, 0, SEEK_SET) != 0) {
    print_read_error();
    return 0;
  }
  std::clearerr(log);

  std::string out_name =
      make_output_name(log_path, run_options.cut_start, run_options.cut_end);
  std::FILE* out = names_the_log(out_name, log) ? nullptr
                                                : std::fopen(out_name.c_str(), "wb");
  if (!out) {
    std::printf("Can't create file %s\n", out_name.c_str());
    return 0;
  }
  std::setvbuf(out, copy_buffer, _IOFBF, sizeof copy_buffer);
  if (!cut_log(log, out)) return 0;
  std::printf("Output file: %s\n", out_name.c_str());
  return 1;
}

}  // namespace

int process_log(const char* log_path) {
  log_stream log(std::fopen(log_path, "rb"));
  if (!log || is_directory(log.get())) {
    std::printf("Can't open file %s\n", log_path);
    return 0;
  }
  std::setvbuf(log.get(), log_buffer, _IOFBF, sizeof log_buffer);

  // The file header says nothing the summary needs; a log shorter than it
  // simply has no frames.
  file_header header;
  if (std::fread(header.bytes, 1, sizeof header.bytes, log.get()) !=
          sizeof header.bytes &&
      std::ferror(log.get())) {
    print_read_error();
    return 0;
  }

  if (!scan_log(log.get())) return 0;
  if (run_options.info_only) return 1;
  return write_trimmed_copy(log.get(), log_path);
}

}  // namespace logtrim
