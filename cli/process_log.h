// The run for the one log named on the command line.
#pragma once

namespace logtrim {

/// Opens the log, prints its summary and, unless the run is summary-only,
/// writes the trimmed copy and prints its name. Returns 1 on success and 0
/// after printing what failed.
[[nodiscard]] int process_log(const char* log_path);

}  // namespace logtrim
