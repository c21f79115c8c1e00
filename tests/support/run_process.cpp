#include "support/run_process.h"

namespace logtrim::test {

process_result run_logtrim(const std::vector<std::string>& args,
                           const std::filesystem::path& dir, const char* stdout_path) {
  return run_program(LOGTRIM_BINARY, args, dir, stdout_path);
}

}  // namespace logtrim::test
