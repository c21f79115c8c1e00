#include "cli/output_name.h"

#include <cstring>

#include "sonarlog/run_options.h"

namespace logtrim {

namespace {

// The log's path without its last four bytes, whatever they are.
std::string stem_of(const char* log_path) {
  std::size_t length = std::strlen(log_path);
  return std::string(log_path, length >= 4 ? length - 4 : length);
}

std::string two_digits(std::uint32_t v) {
  return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10);
}

}  // namespace

std::string make_output_name(const char* log_path, std::uint32_t cut_start,
                             std::uint32_t cut_end) {
  std::string name = stem_of(log_path);
  name += '_';
  name += std::to_string(static_cast<std::int32_t>(cut_start));
  name += '-';
  name += std::to_string(static_cast<std::int32_t>(cut_end));
  name += ".sl2";
  return name;
}

std::string time_name(std::uint32_t ms) {
  std::uint32_t seconds = ms / 1000;
  std::uint32_t minutes = seconds / 60;
  std::string name;
  if (minutes >= 60)
    name = std::to_string(minutes / 60) + 'h' + two_digits(minutes % 60);
  else
    name = std::to_string(minutes);
  name += 'm' + two_digits(seconds % 60);
  if (std::uint32_t fraction = ms % 1000) {
    std::string digits = std::to_string(1000 + fraction).substr(1);
    digits.erase(digits.find_last_not_of('0') + 1);
    name += '.' + digits;
  }
  return name + 's';
}

std::string make_time_output_name(const char* log_path, std::uint32_t from_ms,
                                  std::uint32_t to_ms, bool to_end) {
  return stem_of(log_path) + '_' + time_name(from_ms) + '-' +
         (to_end ? std::string("end") : time_name(to_ms)) + ".sl2";
}

std::string copy_name(const char* log_path) {
  const run_options_record& o = run_options;
  return o.cut_by_time ? make_time_output_name(log_path, o.time_from, o.time_to, o.time_to_end)
                       : make_output_name(log_path, o.cut_start, o.cut_end);
}

}  // namespace logtrim
