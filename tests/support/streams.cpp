#include "support/streams.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/types.h>

#include <cstdlib>
#include <cstring>

#include "ops/cutter.h"
#include "ops/summary.h"

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

stream read_stream(const bytes& content) {
  std::FILE* f = std::tmpfile();
  if (!f) return nullptr;
  if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
  std::rewind(f);
  return stream(f);
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

pass_result run_scan(const bytes& log) {
  pass_result r;
  stream in = read_stream(log);
  std::fseek(in.get(), static_cast<long>(std::min(log.size(), FILE_HEADER_SIZE)), SEEK_SET);
  testing::internal::CaptureStdout();
  r.result = scan_log(in.get());
  r.printed = testing::internal::GetCapturedStdout();
  return r;
}

pass_result run_cut_streams(std::FILE* in, std::FILE* out) {
  pass_result r;
  testing::internal::CaptureStdout();
  r.result = cut_log(in, out);
  r.printed = testing::internal::GetCapturedStdout();
  return r;
}

pass_result run_cut(const bytes& log) {
  stream in = read_stream(log);
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&data, &size);
  pass_result r = run_cut_streams(in.get(), out);
  r.copy.assign(data, data + size);
  std::free(data);
  return r;
}

}  // namespace logtrim::test
