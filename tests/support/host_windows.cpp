// The host's part of the test support on Windows: temporary, unseekable
// and failing streams; Windows has no FIFOs and no full device. Its C
// runtime has no streams of the program's own making, so the bytes a test
// stream yields or accepts lie in the stream's own buffer, and what comes
// after them is the system's answer: a failing stream is one on the null
// device opened for the other direction, where every call fails. An
// unseekable stream is a pipe.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

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

// Puts `size` bytes into the buffer of the read stream `f`, to be read
// before the stream first asks the system for more.
stream preloaded_stream(std::FILE* f, const unsigned char* data, std::size_t size) {
  char* buffer = static_cast<char*>(std::malloc(size + 1));
  if (!f || !buffer) {
    std::free(buffer);
    if (f) std::fclose(f);
    return nullptr;
  }
  if (size > 0) std::memcpy(buffer, data, size);
  // The buffer is the stream's own from here on: fclose frees it.
  f->_base = f->_ptr = buffer;
  f->_cnt = static_cast<int>(size);
  f->_bufsiz = static_cast<int>(size + 1);
  f->_flag |= _IOMYBUF;
  return stream(f);
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

bool can_mount_tmpfs() { return false; }

std::FILE* second_write_stream(std::FILE* f) {
  int fd = _dup(_fileno(f));
  std::FILE* second = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (!second && fd >= 0) _close(fd);
  return second;
}

stream failing_read_stream(const bytes& content, std::size_t good_bytes) {
  // A content shorter than the good bytes ends before any error.
  if (good_bytes > content.size()) return unseekable_read_stream(content);
  return preloaded_stream(null_device_stream(_O_WRONLY, "rb"), content.data(), good_bytes);
}

stream unseekable_read_stream(const bytes& content) {
  // A pipe, fed by a thread of its own that closes it after the content.
  // Nothing waits in the stream's buffer here: a failed seek would drop it.
  int fds[2];
  if (_pipe(fds, 64 * 1024, _O_BINARY) != 0) return nullptr;
  std::thread([content, fd = fds[1]] {
    std::size_t done = 0;
    while (done < content.size()) {
      unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(content.size() - done, 1 << 20));
      int n = _write(fd, content.data() + done, chunk);
      if (n <= 0) break;  // the reader has closed the stream
      done += static_cast<std::size_t>(n);
    }
    _close(fd);
  }).detach();
  std::FILE* f = _fdopen(fds[0], "rb");
  if (!f) _close(fds[0]);
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
