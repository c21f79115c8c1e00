#include "support/run_process.h"

namespace logtrim::test {

process_result run_logtrim(const std::vector<std::string>& args,
                           const std::filesystem::path& dir, const char* stdout_path) {
  // LOGTRIM_TOOL names another build of the tool to run in its place (the
  // Node.js one), so that the same table checks it.
  const char* tool = std::getenv("LOGTRIM_TOOL");
  return run_program(tool && *tool ? tool : LOGTRIM_BINARY, args, dir, stdout_path);
}

}  // namespace logtrim::test
