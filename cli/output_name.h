// The name of the trimmed copy, derived from the log's path and the range.
#pragma once

#include <cstdint>
#include <string>

namespace logtrim {

/// The path without its last four bytes, whatever they are (directory
/// separators included; a path shorter than four bytes is kept whole), then
/// "_START-END.sl2" with both bounds as signed decimals: trip.sl2 with 5:-1
/// gives trip_5--1.sl2. The name is built whole, however long.
[[nodiscard]] std::string make_output_name(const char* log_path,
                                           std::uint32_t cut_start,
                                           std::uint32_t cut_end);

/// The same stem, then "_FROM-TO.sl2" with both times named by time_name,
/// and "end" for TO when `to_end`: trip.sl2 with 90.5- gives
/// trip_1m30.5s-end.sl2.
[[nodiscard]] std::string make_time_output_name(const char* log_path,
                                                std::uint32_t from_ms,
                                                std::uint32_t to_ms, bool to_end);

/// A time of `ms` milliseconds as a name: "1h05m00s" from one hour on,
/// "10m05s" below it, with the milliseconds after a point, trailing zeros
/// dropped, when there are any: "1m30.25s".
[[nodiscard]] std::string time_name(std::uint32_t ms);

/// The copy's name for the range or the span of time that run_options
/// holds.
[[nodiscard]] std::string copy_name(const char* log_path);

}  // namespace logtrim
