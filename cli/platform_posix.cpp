// The tool's host functions on POSIX systems.
#include <sys/stat.h>
#include <sys/types.h>

#include "cli/platform.h"

namespace logtrim {

void prepare_standard_output() {}

// The arguments are bytes here, UTF-8 on every current system.
const char* const* utf8_arguments(int&, char** argv) { return argv; }

std::FILE* open_log_file(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  // A directory opens for reading here but holds no log.
  struct stat st;
  if (f && fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

// One file is one device and inode, whatever names and links lead to it.
bool names_open_file(const std::string& path, std::FILE* log) {
  struct stat path_st;
  struct stat log_st;
  return stat(path.c_str(), &path_st) == 0 && fstat(fileno(log), &log_st) == 0 &&
         path_st.st_dev == log_st.st_dev && path_st.st_ino == log_st.st_ino;
}

std::FILE* create_copy_file(const std::string& path) {
  return std::fopen(path.c_str(), "wb");
}

}  // namespace logtrim
