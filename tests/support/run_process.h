// Runs the built tools as processes, for end-to-end tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/log_builder.h"

namespace logtrim::test {

struct process_result {
  std::string out;  ///< everything written to standard output
  int status = -1;  ///< exit status, or -1 if the process did not exit
};

/// Runs `program` with `args` in `dir`. Standard output is captured, or goes
/// to `stdout_path` when that is given.
[[nodiscard]] process_result run_program(const std::string& program,
                                         const std::vector<std::string>& args,
                                         const std::filesystem::path& dir,
                                         const char* stdout_path = nullptr);

/// Runs the built logtrim, or the program that LOGTRIM_TOOL names.
[[nodiscard]] process_result run_logtrim(const std::vector<std::string>& args,
                                         const std::filesystem::path& dir,
                                         const char* stdout_path = nullptr);

/// A fresh empty folder for one test, removed at the end of the test.
struct temp_dir {
  std::filesystem::path path;
  temp_dir();
  ~temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;
};

void write_file(const std::filesystem::path& path, const bytes& content);
[[nodiscard]] bytes read_file(const std::filesystem::path& path);

}  // namespace logtrim::test
