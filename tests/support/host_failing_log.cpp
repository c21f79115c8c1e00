// The tool's host functions for tests of the front end in process: the log
// is read from its file, but its stream reports a read error where the file
// ends instead of the end, so that a test makes a log fail after any number
// of bytes by writing just those bytes. The copy is created as a file.
#include <filesystem>

#include "cli/platform.h"
#include "support/streams.h"
#include "support/temp_files.h"

namespace logtrim {

void prepare_standard_output() {}

const char* const* utf8_arguments(int&, char** argv) { return argv; }

std::FILE* open_log_file(const char* path) {
  std::filesystem::path file = test::utf8_path(path);
  if (!std::filesystem::is_regular_file(file)) return nullptr;
  test::bytes content = test::read_file(file);
  return test::failing_read_stream(content, content.size()).release();
}

// The tests never name the log as its own copy.
bool names_open_file(const std::string&, std::FILE*) { return false; }

// The tests' names are ASCII, which every host opens as it stands.
std::FILE* create_copy_file(const std::string& path) {
  return std::fopen(path.c_str(), "wb");
}

}  // namespace logtrim
