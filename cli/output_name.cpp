#include "cli/output_name.h"

#include <cstring>

namespace logtrim {

std::string make_output_name(const char* log_path, std::uint32_t cut_start,
                             std::uint32_t cut_end) {
  std::size_t length = std::strlen(log_path);
  std::string name(log_path, length >= 4 ? length - 4 : length);
  name += '_';
  name += std::to_string(static_cast<std::int32_t>(cut_start));
  name += '-';
  name += std::to_string(static_cast<std::int32_t>(cut_end));
  name += ".sl2";
  return name;
}

}  // namespace logtrim
