// Runs the built tools as processes, for end-to-end tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace logtrim::test {

struct process_result {
  std::string out;  ///< everything written to standard output
  int status = -1;  ///< exit status, or -1 if the process did not exit
};

/// Runs `program` with `args` (UTF-8) in `dir`. Standard output is
/// captured, or goes to `stdout_path` when that is given. A program named
/// without a folder is the one beside the test program (so the Windows
/// build names the tool, whose build paths mean nothing to Windows).
[[nodiscard]] process_result run_program(const std::string& program,
                                         const std::vector<std::string>& args,
                                         const std::filesystem::path& dir,
                                         const char* stdout_path = nullptr);

/// The longest command line, in characters, that run_program can hand to
/// a program on this host.
[[nodiscard]] std::size_t longest_command_line();

/// Runs the built logtrim, or the program that LOGTRIM_TOOL names.
[[nodiscard]] process_result run_logtrim(const std::vector<std::string>& args,
                                         const std::filesystem::path& dir,
                                         const char* stdout_path = nullptr);

}  // namespace logtrim::test
