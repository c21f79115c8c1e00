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

}  // namespace logtrim
