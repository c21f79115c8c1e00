// What differs between the hosts the tool runs on: how the arguments arrive,
// how the log and the copy are opened, how two names are known to be one
// file, and how standard output is set up. Everything else is the same code
// on every host; each host has one implementation file of these functions.
#pragma once

#include <cstdio>
#include <string>

namespace logtrim {

/// Sets standard output up so that it passes the bytes the tool prints
/// unchanged, whatever the host does with text by default.
void prepare_standard_output();

/// The run's arguments as UTF-8 strings, argv[0] to argv[argc - 1]: `argv`
/// itself where the host hands them over so, and otherwise the host's own
/// arguments converted, with `argc` set to their number.
[[nodiscard]] const char* const* utf8_arguments(int& argc, char** argv);

/// Opens the log at `path` (UTF-8) for reading in binary mode; nullptr when
/// it cannot be opened or is a directory, which holds no log.
[[nodiscard]] std::FILE* open_log_file(const char* path);

/// True when `path` (UTF-8) names the file that is open as `log`, under
/// another name or through a link: creating it would destroy the log.
[[nodiscard]] bool names_open_file(const std::string& path, std::FILE* log);

/// Creates the copy at `path` (UTF-8) for writing in binary mode, replacing
/// any file of that name; nullptr on failure.
[[nodiscard]] std::FILE* create_copy_file(const std::string& path);

}  // namespace logtrim
