// The tool's host functions in the page: the log is a file of the page's
// own read-only folder, and the copy goes to the page, which saves it.
#include <sys/stat.h>

#include "cli/platform.h"
#include "cli/platform_web.h"

namespace logtrim {

std::string web_copy_name;

void prepare_standard_output() {}

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

// The copy never lands in the log's folder, so it cannot be the log.
bool names_open_file(const std::string&, std::FILE*) { return false; }

// The copy's bytes go to the page's device; the name is what the page
// saves them under.
std::FILE* create_copy_file(const std::string& path) {
  std::FILE* f = std::fopen(WEB_COPY_DEVICE, "wb");
  if (f) web_copy_name = path;
  return f;
}

}  // namespace logtrim
