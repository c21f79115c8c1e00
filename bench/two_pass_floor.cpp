// two_pass_floor: the least that a copy run of logtrim must do, as a
// baseline for the benchmark: read LOG once, then read it again and write
// every byte of it to COPY, through one 1 MiB buffer, single-threaded.
//
//   two_pass_floor LOG COPY
#include <cstdio>

namespace {

constexpr std::size_t BUFFER_SIZE = 1 << 20;
char buffer[BUFFER_SIZE];

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::puts("Usage: two_pass_floor LOG COPY");
    return 1;
  }
  std::FILE* log = std::fopen(argv[1], "rb");
  if (!log) return 1;
  std::setvbuf(log, nullptr, _IONBF, 0);
  std::size_t got;
  while ((got = std::fread(buffer, 1, BUFFER_SIZE, log)) > 0) {
  }
  std::rewind(log);
  std::FILE* copy = std::fopen(argv[2], "wb");
  if (!copy) return 1;
  std::setvbuf(copy, nullptr, _IONBF, 0);
  bool ok = true;
  while (ok && (got = std::fread(buffer, 1, BUFFER_SIZE, log)) > 0)
    ok = std::fwrite(buffer, 1, got, copy) == got;
  ok = !std::ferror(log) && std::fclose(copy) == 0 && ok;
  std::fclose(log);
  return ok ? 0 : 1;
}
