#include "support/streams.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ops/cutter.h"
#include "ops/summary.h"
#include "support/temp_files.h"

namespace logtrim::test {

stream read_stream(const bytes& content) {
  std::FILE* f = temp_stream();
  if (!f) return nullptr;
  if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
  std::rewind(f);
  return stream(f);
}

write_capture capture_stream() {
  write_capture capture;
  capture.file.reset(temp_stream());
  if (capture.file) capture.out = second_write_stream(capture.file.get());
  return capture;
}

bytes captured_bytes(const write_capture& capture) {
  std::FILE* f = capture.file.get();
  bytes content;
  if (!f || std::fseek(f, 0, SEEK_END) != 0) return content;
  content.resize(static_cast<std::size_t>(std::ftell(f)));
  std::rewind(f);
  if (std::fread(content.data(), 1, content.size(), f) != content.size()) content.clear();
  return content;
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
  write_capture capture = capture_stream();
  pass_result r = run_cut_streams(in.get(), capture.out);
  r.copy = captured_bytes(capture);
  return r;
}

}  // namespace logtrim::test
