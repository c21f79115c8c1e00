// The host's part of the test support on POSIX hosts: temporary and
// failing streams (the C library's cookie streams, which fail exactly where
// they are told), FIFOs and the full device.
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/streams.h"
#include "support/temp_files.h"

namespace logtrim::test {

namespace {

struct failing_source {
  bytes content;
  std::size_t good_bytes;
  std::size_t pos = 0;
};

ssize_t read_failing(void* cookie, char* buf, std::size_t size) {
  auto* src = static_cast<failing_source*>(cookie);
  if (src->pos >= src->good_bytes) {
    errno = EIO;
    return -1;
  }
  std::size_t n = std::min(size, src->good_bytes - src->pos);
  n = std::min(n, src->content.size() - std::min(src->pos, src->content.size()));
  if (n == 0) return 0;
  std::memcpy(buf, src->content.data() + src->pos, n);
  src->pos += n;
  return static_cast<ssize_t>(n);
}

int close_failing_source(void* cookie) {
  delete static_cast<failing_source*>(cookie);
  return 0;
}

ssize_t write_failing(void* cookie, const char*, std::size_t size) {
  auto* room = static_cast<std::size_t*>(cookie);
  if (*room < size) {
    errno = ENOSPC;
    return 0;  // a cookie writer reports an error as 0 bytes written
  }
  *room -= size;
  return static_cast<ssize_t>(size);
}

int close_failing_sink(void* cookie) {
  delete static_cast<std::size_t*>(cookie);
  return 0;
}

}  // namespace

std::FILE* temp_stream() { return std::tmpfile(); }

bool make_fifo(const std::filesystem::path& path) { return mkfifo(path.c_str(), 0600) == 0; }

const char* full_device() { return "/dev/full"; }

bool can_mount_tmpfs() { return geteuid() == 0; }

std::FILE* second_write_stream(std::FILE* f) {
  int fd = dup(fileno(f));
  std::FILE* second = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (!second && fd >= 0) close(fd);
  return second;
}

stream failing_read_stream(const bytes& content, std::size_t good_bytes) {
  cookie_io_functions_t io = {read_failing, nullptr, nullptr, close_failing_source};
  return stream(fopencookie(new failing_source{content, good_bytes}, "r", io));
}

// A failing stream whose failure lies past the end: no seek function.
stream unseekable_read_stream(const bytes& content) {
  return failing_read_stream(content, content.size() + 1);
}

std::FILE* failing_write_stream(std::size_t good_bytes) {
  cookie_io_functions_t io = {nullptr, write_failing, nullptr, close_failing_sink};
  std::FILE* f = fopencookie(new std::size_t(good_bytes), "w", io);
  std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

}  // namespace logtrim::test
