#include "support/temp_files.h"

#include <fstream>
#include <iterator>
#include <random>

namespace logtrim::test {

namespace fs = std::filesystem;

temp_dir::temp_dir() {
  // A random name, tried again in the unlikely case that it is taken, so
  // that tests running side by side never share a folder.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("logtrim-test-" + std::to_string(random()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path = candidate;
      return;
    }
  }
}

temp_dir::~temp_dir() {
  std::error_code ec;
  if (!path.empty()) fs::remove_all(path, ec);
}

void write_file(const fs::path& path, const bytes& content) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
}

bytes read_file(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

fs::path utf8_path(const std::string& name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}

std::string utf8_name(const fs::path& path) {
  std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

}  // namespace logtrim::test
