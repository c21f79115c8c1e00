// The host's part of the test support on Windows: temporary and failing
// streams; Windows has no FIFOs and no full device. Its C runtime has no
// streams of the program's own making. A failing stream is a stream on the
// null device opened for the other direction, so that every call of the
// system fails; the good bytes never reach the system: they lie in the
// stream's own buffer.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "support/streams.h"
#include "support/temp_files.h"

// The read stream fills the buffer of the stream record that msvcrt.dll
// publishes; the universal runtime hides that record.
#ifdef _UCRT
#error "the failing read stream needs the stream record of msvcrt.dll"
#endif

namespace logtrim::test {

namespace {

std::FILE* null_device_stream(int access, const char* mode) {
  int fd = _open("NUL", access | _O_BINARY);
  std::FILE* f = fd < 0 ? nullptr : _fdopen(fd, mode);
  if (!f && fd >= 0) _close(fd);
  return f;
}

}  // namespace

std::FILE* temp_stream() {
  // tmpfile() makes its files in the root of the drive, which a user may
  // not write; "D" removes the file when its last stream is closed.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("logtrim-stream-" + std::to_string(random()));
    if (std::filesystem::exists(path)) continue;
    if (std::FILE* f = _wfopen(path.c_str(), L"w+bD")) return f;
  }
  return nullptr;
}

bool make_fifo(const std::filesystem::path&) { return false; }

const char* full_device() { return nullptr; }

std::FILE* second_write_stream(std::FILE* f) {
  int fd = _dup(_fileno(f));
  std::FILE* second = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (!second && fd >= 0) _close(fd);
  return second;
}

stream failing_read_stream(const bytes& content, std::size_t good_bytes) {
  // A content shorter than the good bytes ends before any error.
  if (good_bytes > content.size()) return read_stream(content);
  std::FILE* f = null_device_stream(_O_WRONLY, "rb");
  char* buffer = static_cast<char*>(std::malloc(good_bytes + 1));
  if (!f || !buffer) {
    std::free(buffer);
    if (f) std::fclose(f);
    return nullptr;
  }
  if (good_bytes > 0) std::memcpy(buffer, content.data(), good_bytes);
  // The buffer is the stream's own from here on: fclose frees it.
  f->_base = f->_ptr = buffer;
  f->_cnt = static_cast<int>(good_bytes);
  f->_bufsiz = static_cast<int>(good_bytes + 1);
  f->_flag |= _IOMYBUF;
  return stream(f);
}

std::FILE* failing_write_stream(std::size_t good_bytes) {
  std::FILE* f = null_device_stream(_O_RDONLY, "wb");
  if (!f) return nullptr;
  // A stream buffer takes at least two bytes; with fewer there is none.
  if (good_bytes < 2)
    std::setvbuf(f, nullptr, _IONBF, 0);
  else
    std::setvbuf(f, nullptr, _IOFBF, good_bytes);
  return f;
}

}  // namespace logtrim::test
