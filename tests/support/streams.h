// Streams for driving the passes in process: logs from memory, copies into
// memory, and streams that fail on purpose.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "support/log_builder.h"

namespace logtrim::test {

struct stream_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using stream = std::unique_ptr<std::FILE, stream_closer>;

/// A seekable read stream over a copy of `content` (a temporary file).
[[nodiscard]] stream read_stream(const bytes& content);

/// A read stream that yields the first `good_bytes` of `content` and then
/// reports a read error (or the end, when `content` is shorter). Not for
/// seeking: it cannot seek on POSIX hosts, and a seek on Windows drops the
/// good bytes that it has not yet yielded, as does a new buffer (setvbuf).
[[nodiscard]] stream failing_read_stream(const bytes& content, std::size_t good_bytes);

/// A read stream over `content` that cannot seek, as a pipe.
[[nodiscard]] stream unseekable_read_stream(const bytes& content);

/// A write stream that accepts `good_bytes` and then reports a write error.
/// On POSIX hosts it has no buffer of its own, so each failing write shows
/// at once. On Windows the bytes it accepts wait in its buffer, so the
/// write past them fails, and so does closing it with bytes still waiting.
[[nodiscard]] std::FILE* failing_write_stream(std::size_t good_bytes);

/// A write stream for a pass, `out`, into a temporary file that stays
/// readable through `file` after the pass has closed `out`.
struct write_capture {
  stream file;
  std::FILE* out = nullptr;
};
[[nodiscard]] write_capture capture_stream();

/// Everything written through the capture's `out`, once it is closed.
[[nodiscard]] bytes captured_bytes(const write_capture& capture);

/// A second stream, for writing, on the file open as `f`, at the same
/// position; closing it leaves `f` open. Used by capture_stream.
[[nodiscard]] std::FILE* second_write_stream(std::FILE* f);

/// What a pass printed and returned.
struct pass_result {
  int result = 0;
  std::string printed;
  bytes copy;  ///< the copy written by cut_log
};

/// Runs scan_log on `log` from just after its file header, as the front end
/// does.
[[nodiscard]] pass_result run_scan(const bytes& log);

/// Runs cut_log on `log` into memory with the current run_options.
[[nodiscard]] pass_result run_cut(const bytes& log);

/// Runs cut_log from `in` into `out`, capturing what it prints.
[[nodiscard]] pass_result run_cut_streams(std::FILE* in, std::FILE* out);

}  // namespace logtrim::test
