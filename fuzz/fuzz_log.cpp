// Fuzz target: the input bytes are a log. Both passes run over it from a
// real file, as the tool runs them, under several option sets, and so does
// the depth profile; what they print, write and keep is checked against a
// walk of the input made here.
#include <stdio.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "fuzz_support.h"
#include "ops/cutter.h"
#include "ops/profile.h"
#include "ops/summary.h"
#include "sonarlog/byte_order.h"
#include "sonarlog/channels.h"
#include "sonarlog/frame_header.h"
#include "sonarlog/run_options.h"
#include "support/log_check.h"

namespace logtrim::fuzz {
namespace {

// The log's bytes live in one temporary file, rewritten for each input;
// each input reads it through a fresh stream, since a stream may keep
// serving the previous input's bytes from its buffer after a seek.
int log_fd = -1;
std::FILE* log_file = nullptr;

// The option sets every input is run with. One more set is read from the
// log's own file header, which the passes never interpret, so that the
// fuzzer can steer the range and letters without changing the frames.
const run_options_record FIXED_OPTIONS[] = {
    {},
    {.cut_start = 0, .cut_end = UINT32_MAX},
    {.delete_sidescan = true, .cut_start = 1, .cut_end = 5},
    {.delete_traditional = true, .delete_downscan = true, .delete_sidescan = true,
     .cut_start = 0, .cut_end = UINT32_MAX},
    {.cut_by_time = true, .time_from = 0, .time_to = UINT32_MAX, .time_to_end = true},
    {.delete_sidescan = true, .cut_by_time = true, .time_from = 100, .time_to = 5000},
};

// Bit 3 of the first byte makes the range a span of time.
run_options_record options_from_file_header(const std::uint8_t* data) {
  run_options_record o;
  o.delete_traditional = data[0] & 1;
  o.delete_downscan = data[0] & 2;
  o.delete_sidescan = data[0] & 4;
  o.cut_by_time = data[0] & 8;
  o.cut_start = o.time_from = load_u16le(data + 2);
  o.cut_end = o.time_to = load_u32le(data + 4);
  return o;
}

// The time origin of a time cut: the time of the first whole frame header.
std::uint32_t time_origin(const std::uint8_t* data, std::size_t size) {
  if (size < FILE_HEADER_SIZE + FRAME_HEADER_SIZE) return 0;
  return load_u32le(data + FILE_HEADER_SIZE + frame_field::SOUNDING_TIME);
}

bool is_kept(const frame_header& h, std::uint32_t origin) {
  if (is_channel_deleted(h.channel)) return false;
  std::uint32_t at = run_options.cut_by_time ? h.time_ms - origin : h.frame_index;
  std::uint32_t from = run_options.cut_by_time ? run_options.time_from : run_options.cut_start;
  std::uint32_t to = run_options.cut_by_time ? run_options.time_to : run_options.cut_end;
  return at >= from && at <= to;
}

// What the summary must print, as counts: a "size error!" after an empty
// line for every frame over the buffer whose header is whole, and a
// three-line report for every channel 0 to 5 that has such a frame.
void check_summary(const std::uint8_t* data, std::size_t size, const std::string& printed) {
  std::size_t oversized = 0;
  bool seen[CHANNEL_COUNT] = {};
  std::uint64_t pos = std::min(size, FILE_HEADER_SIZE);
  while (size - pos >= FRAME_HEADER_SIZE) {
    frame_header h = decode_frame_header(data + pos);
    if (h.packet_size > MAX_PACKET_SIZE) ++oversized;
    if (h.channel < CHANNEL_COUNT) seen[h.channel] = true;
    pos += FRAME_HEADER_SIZE + h.packet_size;
    if (pos > size) break;
  }
  std::size_t channels = 0;
  for (bool s : seen) channels += s;

  std::size_t lines = 0, reports = 0, size_errors = 0;
  std::size_t start = 0;
  while (start < printed.size()) {
    std::size_t end = printed.find('\n', start);
    FUZZ_CHECK(end != std::string::npos);  // every line is ended
    std::string line = printed.substr(start, end - start);
    ++lines;
    if (line.rfind("=== ", 0) == 0) ++reports;
    if (line == "size error!") ++size_errors;
    start = end + 1;
  }
  FUZZ_CHECK(size_errors == oversized);
  FUZZ_CHECK(reports == channels);
  FUZZ_CHECK(lines == 2 * oversized + 3 * channels);
}

// The copy must be the file header, then each kept whole frame of the
// input with only its position and order fields rewritten, and nothing
// else; and it must be consistent in itself.
void check_copy(const std::uint8_t* data, std::size_t size, const test::bytes& copy) {
  std::uint64_t expected_size = FILE_HEADER_SIZE;
  std::uint64_t in_pos = std::min(size, FILE_HEADER_SIZE);
  FUZZ_CHECK(copy.size() >= FILE_HEADER_SIZE);
  for (std::size_t i = 0; i < FILE_HEADER_SIZE; ++i)
    FUZZ_CHECK(copy[i] == (i < size ? data[i] : 0));

  std::uint32_t origin = time_origin(data, size);
  // A time cut counts each channel number's frames from its first kept one.
  std::map<std::uint16_t, std::uint32_t> first_kept;
  while (size - in_pos >= FRAME_HEADER_SIZE) {
    const std::uint8_t* in_frame = data + in_pos;
    frame_header h = decode_frame_header(in_frame);
    std::uint64_t frame_size = FRAME_HEADER_SIZE + h.packet_size;
    if (size - in_pos < frame_size) break;  // cut short: left out
    in_pos += frame_size;
    if (!is_kept(h, origin)) continue;

    FUZZ_CHECK(copy.size() >= expected_size + frame_size);
    const unsigned char* out_frame = copy.data() + expected_size;
    namespace f = frame_field;
    std::uint32_t index_origin = run_options.cut_start;
    if (run_options.cut_by_time)
      index_origin = first_kept.try_emplace(h.channel, h.frame_index).first->second;
    FUZZ_CHECK(load_u32le(out_frame + f::FRAME_INDEX) == h.frame_index - index_origin);
    FUZZ_CHECK(std::memcmp(out_frame + f::BLOCK_SIZE, in_frame + f::BLOCK_SIZE, 2) == 0);
    FUZZ_CHECK(std::memcmp(out_frame + f::CHANNEL, in_frame + f::CHANNEL, 4) == 0);
    FUZZ_CHECK(std::memcmp(out_frame + f::RECORDED_40, in_frame + f::RECORDED_40,
                           frame_size - f::RECORDED_40) == 0);
    expected_size += frame_size;
  }
  FUZZ_CHECK(copy.size() == expected_size);
  FUZZ_CHECK(test::check_log_consistency(copy).empty());
}

// Runs the two passes over the log file as the front end does: the summary
// after the file header, then the copy from the start.
void run_passes(const std::uint8_t* data, std::size_t size) {
  clear_captured_stdout();
  FUZZ_CHECK(fseeko(log_file, 0, SEEK_SET) == 0);
  file_header fh;
  (void)std::fread(fh.bytes, 1, sizeof fh.bytes, log_file);
  FUZZ_CHECK(scan_log(log_file) == 1);
  check_summary(data, size, captured_stdout());

  clear_captured_stdout();
  FUZZ_CHECK(fseeko(log_file, 0, SEEK_SET) == 0);
  std::clearerr(log_file);
  char* copy_data = nullptr;
  std::size_t copy_size = 0;
  std::FILE* out = open_memstream(&copy_data, &copy_size);
  FUZZ_CHECK(out != nullptr);
  FUZZ_CHECK(cut_log(log_file, out) == 1);
  FUZZ_CHECK(captured_stdout().empty());
  test::bytes copy(copy_data, copy_data + copy_size);
  std::free(copy_data);
  check_copy(data, size, copy);
}

// The depth profile, with a bucket limit small enough that buckets merge:
// every frame of channels 0 to 5 whose header is whole is in exactly one
// bucket of its channel, every bucket but the last is of the full width,
// and no range is inverted.
log_profile profile;

void check_profile(const std::uint8_t* data, std::size_t size) {
  int max_buckets = 1 + (size > 1 ? data[1] % 7 : 0);
  clear_captured_stdout();
  FUZZ_CHECK(fseeko(log_file, 0, SEEK_SET) == 0);
  std::clearerr(log_file);
  FUZZ_CHECK(profile_log(log_file, max_buckets, profile) == 1);
  FUZZ_CHECK(captured_stdout().empty());

  std::uint64_t frames[CHANNEL_COUNT] = {};
  std::uint64_t pos = std::min(size, FILE_HEADER_SIZE);
  while (size - pos >= FRAME_HEADER_SIZE) {
    frame_header h = decode_frame_header(data + pos);
    if (h.channel < CHANNEL_COUNT) ++frames[h.channel];
    pos += FRAME_HEADER_SIZE + h.packet_size;
    if (pos > size) break;
  }
  for (std::size_t c = 0; c < CHANNEL_COUNT; ++c) {
    const channel_profile& p = profile.channels[c];
    FUZZ_CHECK(p.frames == frames[c]);
    FUZZ_CHECK(p.bucket_count <= max_buckets);
    std::uint64_t in_buckets = 0;
    for (int b = 0; b < p.bucket_count; ++b) {
      const profile_bucket& k = p.buckets[b];
      FUZZ_CHECK(k.frames >= 1 && k.frames <= p.bucket_width);
      FUZZ_CHECK(b == p.bucket_count - 1 || k.frames == p.bucket_width);
      FUZZ_CHECK(k.missing_depth <= k.frames);
      FUZZ_CHECK(std::isnan(k.min_depth) == std::isnan(k.max_depth));
      // A depth above 0 feet but too small for a float in metres is 0 m.
      FUZZ_CHECK(std::isnan(k.min_depth) || (k.min_depth >= 0 && k.min_depth <= k.max_depth));
      FUZZ_CHECK(std::isnan(k.min_speed) || k.min_speed <= k.max_speed);
      in_buckets += k.frames;
    }
    FUZZ_CHECK(in_buckets == frames[c]);
  }
}

}  // namespace
}  // namespace logtrim::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace logtrim::fuzz;
  capture_stdout();
  std::FILE* f = std::tmpfile();
  FUZZ_CHECK(f != nullptr);
  log_fd = fileno(f);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace logtrim;
  using namespace logtrim::fuzz;
  FUZZ_CHECK(ftruncate(log_fd, 0) == 0);
  FUZZ_CHECK(size == 0 || pwrite(log_fd, data, size, 0) == static_cast<ssize_t>(size));
  log_file = fdopen(dup(log_fd), "rb");
  FUZZ_CHECK(log_file != nullptr);

  for (const run_options_record& o : FIXED_OPTIONS) {
    run_options = o;
    run_passes(data, size);
  }
  if (size >= FILE_HEADER_SIZE) {
    run_options = options_from_file_header(data);
    run_passes(data, size);
  }
  run_options = {};
  check_profile(data, size);
  std::fclose(log_file);
  return 0;
}
