#include <cstdio>

#include "cli/args.h"
#include "cli/platform.h"
#include "cli/process_log.h"

int main(int argc, char** argv) {
  logtrim::prepare_standard_output();
  const char* const* args = logtrim::utf8_arguments(argc, argv);
  const char* log_path = nullptr;
  int status = logtrim::parse_args(argc, args, &log_path);
  if (status < 0) status = logtrim::process_log(log_path) ? 0 : 1;
  // Everything the run has to say goes to standard output; if that could
  // not be written, the run did not do its job.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) status = 1;
  return status;
}
