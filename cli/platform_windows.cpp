// The tool's host functions on Windows. Paths travel through the tool as
// UTF-8, as on every host; here they are turned into UTF-16 for the wide
// calls, so that a name in any language opens, whatever the code page.
#include <fcntl.h>
#include <io.h>
#include <sys/types.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/platform.h"

// The copy run seeks in logs past 2 GiB: fseeko and ftello must take
// 64-bit positions here too.
static_assert(sizeof(off_t) == 8);

namespace logtrim {

namespace {

std::wstring to_utf16(const char* text) {
  int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide.data(), size);
  wide.pop_back();  // the terminating zero, which the string keeps itself
  return wide;
}

std::string to_utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.pop_back();
  return narrow;
}

// A path that is not valid UTF-8 names no file: it gives an empty wide name.
std::FILE* open_wide(const char* path, const wchar_t* mode) {
  std::wstring wide = to_utf16(path);
  return wide.empty() ? nullptr : _wfopen(wide.c_str(), mode);
}

HANDLE handle_of(std::FILE* f) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
}

UINT console_code_page_before = 0;

void restore_console_code_page() { SetConsoleOutputCP(console_code_page_before); }

}  // namespace

void prepare_standard_output() {
  // Text mode would turn every "\n" into "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  // A console shows the UTF-8 names only in its UTF-8 code page; the one it
  // had is given back when the run ends.
  DWORD console_mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &console_mode)) {
    console_code_page_before = GetConsoleOutputCP();
    if (console_code_page_before != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
      std::atexit(restore_console_code_page);
  }
}

const char* const* utf8_arguments(int& argc, char** argv) {
  // The narrow arguments are in the code page, which cannot hold every
  // name; the wide ones are what the user typed.
  static std::vector<std::string> arguments;
  static std::vector<const char*> pointers;
  int wide_count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wide_count);
  if (!wide) return argv;
  for (int i = 0; i < wide_count; ++i) arguments.push_back(to_utf8(wide[i]));
  LocalFree(wide);
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  pointers.push_back(nullptr);
  argc = wide_count;
  return pointers.data();
}

std::FILE* open_log_file(const char* path) {
  std::FILE* f = open_wide(path, L"rb");
  BY_HANDLE_FILE_INFORMATION info;
  if (f && GetFileInformationByHandle(handle_of(f), &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

// One file is one volume and file index, whatever names and links lead to
// it; opening the name follows a symbolic link to the file it points at.
bool names_open_file(const std::string& path, std::FILE* log) {
  std::wstring wide = to_utf16(path.c_str());
  if (wide.empty()) return false;
  HANDLE named = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION named_info;
  BY_HANDLE_FILE_INFORMATION log_info;
  bool same = GetFileInformationByHandle(named, &named_info) &&
              GetFileInformationByHandle(handle_of(log), &log_info) &&
              named_info.dwVolumeSerialNumber == log_info.dwVolumeSerialNumber &&
              named_info.nFileIndexHigh == log_info.nFileIndexHigh &&
              named_info.nFileIndexLow == log_info.nFileIndexLow;
  CloseHandle(named);
  return same;
}

std::FILE* create_copy_file(const std::string& path) {
  return open_wide(path.c_str(), L"wb");
}

}  // namespace logtrim
