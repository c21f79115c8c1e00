// Temporary folders, files and streams for the tests. Names are UTF-8
// inside the tests, as inside the tool. The functions below the folder are
// the host's: host_posix.cpp and host_windows.cpp.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/log_builder.h"

namespace logtrim::test {

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

/// The path named by the UTF-8 `name`, on a host whose paths are wide as
/// well as on one whose paths are bytes.
[[nodiscard]] std::filesystem::path utf8_path(const std::string& name);

/// The name of `path` as UTF-8.
[[nodiscard]] std::string utf8_name(const std::filesystem::path& path);

/// An empty temporary file open for reading and writing in binary mode,
/// gone once it is closed.
[[nodiscard]] std::FILE* temp_stream();

/// Makes a FIFO at `path`; false where the host has none (Windows).
[[nodiscard]] bool make_fifo(const std::filesystem::path& path);

/// A device on which every write fails for want of room ("/dev/full"), or
/// nullptr where the host has none (Windows).
[[nodiscard]] const char* full_device();

/// True where the tests may mount a tmpfs of their own: as root on Linux.
[[nodiscard]] bool can_mount_tmpfs();

}  // namespace logtrim::test
