// Starting a program on Windows: CreateProcessW with a command line quoted
// as the C runtime splits it, standard output read from a pipe.
#include <windows.h>

#include "support/run_process.h"

namespace logtrim::test {

namespace {

std::wstring wide(const std::string& utf8) { return utf8_path(utf8).wstring(); }

// The C runtime's rule: backslashes are literal unless they precede a
// quote, where each pair stands for one; a quote inside is escaped.
void append_quoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

std::filesystem::path own_folder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(std::wstring(path, n)).parent_path();
}

}  // namespace

std::size_t longest_command_line() { return 32767; }

process_result run_program(const std::string& program,
                           const std::vector<std::string>& args,
                           const std::filesystem::path& dir,
                           const char* stdout_path) {
  process_result result;
  std::filesystem::path program_path = utf8_path(program);
  if (!program_path.has_parent_path()) program_path = own_folder() / program_path;

  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (stdout_path) {
    write_end = CreateFileW(wide(stdout_path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                            OPEN_EXISTING, 0, nullptr);
    if (write_end == INVALID_HANDLE_VALUE) return result;
  } else if (!CreatePipe(&read_end, &write_end, &inherited, 0)) {
    return result;
  } else {
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  }

  std::wstring line;
  append_quoted(line, program_path.wstring());
  for (const std::string& a : args) {
    line += L' ';
    append_quoted(line, wide(a));
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessW(program_path.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                nullptr, dir.c_str(), &startup, &process);
  // Only the child holds the pipe's write end now, so that reading ends
  // when the child does.
  CloseHandle(write_end);
  if (read_end) {
    char buf[4096];
    DWORD n = 0;
    while (started && ReadFile(read_end, buf, sizeof buf, &n, nullptr) && n > 0) result.out.append(buf, n);
    CloseHandle(read_end);
  }
  if (!started) return result;
  DWORD code = 0;
  if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
      GetExitCodeProcess(process.hProcess, &code))
    result.status = static_cast<int>(code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}

}  // namespace logtrim::test
