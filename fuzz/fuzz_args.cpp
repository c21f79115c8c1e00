// Fuzz target: the input bytes are the arguments after the program name,
// each ended by a zero byte. The parser's outcome is checked against the
// command line's rules, worked out here on their own with strtol and by
// taking times apart at their colons.
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/args.h"
#include "fuzz_support.h"
#include "sonarlog/run_options.h"

namespace logtrim::fuzz {
namespace {

constexpr int CONTINUE = -1;

struct outcome {
  int status = 0;
  std::string printed;
  const char* log_path = nullptr;
  run_options_record options;
};

bool model_number(const char* text, char** end, std::int32_t& value) {
  errno = 0;
  long long n = std::strtoll(text, end, 10);
  if (*end == text || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) return false;
  value = static_cast<std::int32_t>(n);
  return true;
}

bool model_range(const char* text, run_options_record& o) {
  char* end = nullptr;
  std::int32_t start = 0, stop = 0;
  if (!model_number(text, &end, start) || *end != ':') return false;
  const char* second = end + 1;
  if (!model_number(second, &end, stop)) return false;
  if (static_cast<std::uint32_t>(start) >= static_cast<std::uint32_t>(stop)) return false;
  o.cut_start = static_cast<std::uint32_t>(start);
  o.cut_end = static_cast<std::uint32_t>(stop);
  o.cut_by_time = false;
  return true;
}

bool all_digits(const std::string& s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return !s.empty();
}

// One time, S, M:SS or H:MM:SS with an optional fraction of 1 to 3 digits,
// taken apart at its point and colons, in milliseconds.
bool model_time(const std::string& text, std::uint64_t& ms) {
  std::size_t point = text.find('.');
  std::string whole = text.substr(0, point);
  std::string fraction = point == std::string::npos ? "0" : text.substr(point + 1);
  if (!all_digits(fraction) || fraction.size() > 3) return false;
  std::vector<std::string> fields;
  for (std::size_t from = 0;;) {
    std::size_t colon = whole.find(':', from);
    fields.push_back(whole.substr(from, colon - from));
    if (colon == std::string::npos) break;
    from = colon + 1;
  }
  if (fields.size() > 3) return false;
  for (const std::string& f : fields)
    if (!all_digits(f)) return false;
  errno = 0;
  unsigned __int128 total = std::strtoull(fields[0].c_str(), nullptr, 10);
  if (errno == ERANGE) return false;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    if (fields[i].size() != 2 || fields[i] >= "60") return false;
    total = total * 60 + std::strtoull(fields[i].c_str(), nullptr, 10);
  }
  total = total * 1000 + std::strtoull((fraction + "00").substr(0, 3).c_str(), nullptr, 10);
  if (total > 0xFFFFFFFFu) return false;
  ms = static_cast<std::uint64_t>(total);
  return true;
}

// FROM-TO, split at the first hyphen; TO may be empty.
bool model_span(const char* text, run_options_record& o) {
  std::string s = text;
  std::size_t hyphen = s.find('-');
  if (hyphen == std::string::npos) return false;
  std::uint64_t from = 0, to = 0xFFFFFFFFu;
  if (!model_time(s.substr(0, hyphen), from)) return false;
  std::string rest = s.substr(hyphen + 1);
  bool to_end = rest.empty();
  if (!to_end && (!model_time(rest, to) || from >= to)) return false;
  o.cut_by_time = true;
  o.time_from = static_cast<std::uint32_t>(from);
  o.time_to = static_cast<std::uint32_t>(to);
  o.time_to_end = to_end;
  return true;
}

bool model_letters(const char* text, run_options_record& o) {
  std::string s = text;
  std::size_t b = 0;
  while (b < s.size() && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  if (b == s.size()) return false;
  for (; b < s.size() && !std::isspace(static_cast<unsigned char>(s[b])); ++b) {
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[b])));
    if (c == 'P') o.delete_traditional = true;
    else if (c == 'D') o.delete_downscan = true;
    else if (c == 'S') o.delete_sidescan = true;
    else return false;
  }
  return true;
}

// The command line's outcomes: the usage line, a bad letters or range
// argument, or a log to process with the options read before it.
outcome model_parse(const std::vector<const char*>& argv) {
  outcome m;
  int argc = static_cast<int>(argv.size());
  if (argc <= 1) {
    m.printed = std::string(USAGE_LINE) + "\n";
    return m;
  }
  if (argc == 2) {
    m.status = CONTINUE;
    m.log_path = argv[1];
    m.options.info_only = true;
    return m;
  }
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '-') {
      m.status = CONTINUE;
      m.log_path = argv[i];
      return m;
    }
    char option = static_cast<char>(std::tolower(static_cast<unsigned char>(argv[i][1])));
    bool has_value = i + 1 < argc;
    if (option == 'd' && (!has_value || !model_letters(argv[++i], m.options))) {
      m.status = 1;
      m.printed = "Wrong delete channel argument\n";
      return m;
    }
    if (option == 'c' && has_value && !model_range(argv[++i], m.options)) {
      m.status = 1;
      m.printed = "Wrong cut argument\n";
      return m;
    }
    if (option == 't' && (!has_value || !model_span(argv[++i], m.options))) {
      m.status = 1;
      m.printed = "Wrong time argument\n";
      return m;
    }
  }
  m.printed = std::string(USAGE_LINE) + "\n";
  return m;
}

}  // namespace
}  // namespace logtrim::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  logtrim::fuzz::capture_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace logtrim;
  using namespace logtrim::fuzz;
  // Each argument ends with a zero byte; bytes after the last one are left
  // out, so that inputs of any length reach the command line without
  // arguments. Each argument gets its own exact-size allocation, so that a
  // read past its end is caught.
  std::vector<std::string> args;
  std::string piece;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != 0) {
      piece += static_cast<char>(data[i]);
    } else {
      args.push_back(piece);
      piece.clear();
    }
  }
  std::vector<char*> owned;
  std::vector<const char*> argv = {"logtrim"};
  for (const std::string& a : args) {
    char* copy = static_cast<char*>(std::malloc(a.size() + 1));
    std::memcpy(copy, a.c_str(), a.size() + 1);
    owned.push_back(copy);
    argv.push_back(copy);
  }
  outcome expected = model_parse(argv);
  argv.push_back(nullptr);

  run_options = {};
  clear_captured_stdout();
  const char* log_path = nullptr;
  int status = parse_args(static_cast<int>(argv.size() - 1), argv.data(), &log_path);
  std::string printed = captured_stdout();

  FUZZ_CHECK(status == expected.status);
  FUZZ_CHECK(printed == expected.printed);
  FUZZ_CHECK(status != CONTINUE || log_path == expected.log_path);
  // An accepted range always has its start below its end.
  FUZZ_CHECK(run_options.cut_start < run_options.cut_end ||
             (run_options.cut_start == 0 && run_options.cut_end == 0));
  FUZZ_CHECK(run_options.cut_start == expected.options.cut_start);
  FUZZ_CHECK(run_options.cut_end == expected.options.cut_end);
  FUZZ_CHECK(run_options.delete_traditional == expected.options.delete_traditional);
  FUZZ_CHECK(run_options.delete_downscan == expected.options.delete_downscan);
  FUZZ_CHECK(run_options.delete_sidescan == expected.options.delete_sidescan);
  FUZZ_CHECK(run_options.cut_by_time == expected.options.cut_by_time);
  FUZZ_CHECK(run_options.time_from == expected.options.time_from);
  FUZZ_CHECK(run_options.time_to == expected.options.time_to);
  FUZZ_CHECK(run_options.time_to_end == expected.options.time_to_end);
  // An accepted span of time always has its start below its end, or runs
  // to the end of the log.
  FUZZ_CHECK(!run_options.cut_by_time || run_options.time_from < run_options.time_to ||
             run_options.time_to_end);
  FUZZ_CHECK(status != CONTINUE || run_options.info_only == expected.options.info_only);

  for (char* p : owned) std::free(p);
  run_options = {};
  return 0;
}
