// Little-endian loads and stores over byte buffers.
//
// Log files are little-endian whatever the host is, so every field is
// assembled from its bytes here rather than read through a pointer cast,
// which would be misaligned, aliasing-unsafe and host-order dependent.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <version>

namespace logtrim {

// The bits of a float as a u32 and back. Where the standard library has no
// std::bit_cast (older C++ libraries, the WebAssembly one among them), a
// copy of the four bytes does the same on every host.
[[nodiscard]] inline std::uint32_t f32_bits(float v) {
#ifdef __cpp_lib_bit_cast
  return std::bit_cast<std::uint32_t>(v);
#else
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
#endif
}

[[nodiscard]] inline float f32_from_bits(std::uint32_t bits) {
#ifdef __cpp_lib_bit_cast
  return std::bit_cast<float>(bits);
#else
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
#endif
}

[[nodiscard]] inline std::uint16_t load_u16le(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

[[nodiscard]] inline std::uint32_t load_u32le(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) |
         (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) |
         (static_cast<std::uint32_t>(p[3]) << 24);
}

/// The bits are taken as they stand: a NaN payload survives a load and store.
[[nodiscard]] inline float load_f32le(const unsigned char* p) {
  return f32_from_bits(load_u32le(p));
}

inline void store_u16le(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

inline void store_u32le(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

inline void store_f32le(unsigned char* p, float v) {
  store_u32le(p, f32_bits(v));
}

}  // namespace logtrim
