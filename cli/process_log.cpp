#include "cli/process_log.h"

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/output_name.h"
#include "cli/platform.h"
#include "ops/cutter.h"
#include "ops/summary.h"
#include "sonarlog/frame_header.h"
#include "sonarlog/frame_walk.h"
#include "sonarlog/run_options.h"

namespace logtrim {

namespace {

// The walk reads the log in large blocks, straight into its own buffer,
// and the copy goes out with one write of the kept frames of each block:
// neither stream needs a buffer of its own, which would only copy the bytes
// once more.
struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using log_stream = std::unique_ptr<std::FILE, file_closer>;

// The copy run: rewinds the log after the summary and writes the copy.
int write_trimmed_copy(std::FILE* log, const char* log_path) {
  // A pipe cannot be read a second time; find out before a copy is created.
  if (fseeko(log, 0, SEEK_SET) != 0) {
    print_read_error();
    return 0;
  }
  std::clearerr(log);

  std::string out_name = copy_name(log_path);
  // Creating the log itself under another name would destroy it unread.
  std::FILE* out = names_open_file(out_name, log) ? nullptr : create_copy_file(out_name);
  if (!out) {
    std::printf("Can't create file %s\n", out_name.c_str());
    return 0;
  }
  std::setvbuf(out, nullptr, _IONBF, 0);
  if (!cut_log(log, out)) return 0;
  std::printf("Output file: %s\n", out_name.c_str());
  return 1;
}

}  // namespace

int process_log(const char* log_path) {
  log_stream log(open_log_file(log_path));
  if (!log) {
    std::printf("Can't open file %s\n", log_path);
    return 0;
  }
  std::setvbuf(log.get(), nullptr, _IONBF, 0);

  // The file header says nothing the summary needs; a log shorter than it
  // simply has no frames.
  file_header header;
  if (!read_file_header(log.get(), header)) {
    print_read_error();
    return 0;
  }

  if (!scan_log(log.get())) return 0;
  if (run_options.info_only) return 1;
  return write_trimmed_copy(log.get(), log_path);
}

}  // namespace logtrim
