// The command line: options into `run_options`, and the log's path.
#pragma once

namespace logtrim {

inline constexpr const char* USAGE_LINE =
    "Usage: logtrim [-o start:end -d [PDS]] file";

/// Reads the arguments (argv[1] to argv[argc - 1]) into `run_options`.
/// Returns -1 with `log_path` set when a log is to be processed; otherwise
/// prints the usage line or the argument error and returns the exit status.
[[nodiscard]] int parse_args(int argc, const char* const* argv,
                             const char** log_path);

}  // namespace logtrim
