// Cost of turning the 144 header bytes of a frame into a frame_header and
// back, against decoding only the fields that the passes read, which the
// walk does for every frame of a log of both passes: a log of 1 GiB holds
// about half a million frames.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "sonarlog/frame_header.h"

namespace {

// Enough distinct headers that the loop cannot keep one decoded value, few
// enough that they stay in the first-level cache like the header being read.
constexpr std::size_t HEADER_COUNT = 64;

struct header_set {
  unsigned char bytes[HEADER_COUNT][logtrim::FRAME_HEADER_SIZE];
};

header_set make_header_set() {
  header_set set;
  std::uint32_t x = 12345;
  for (auto& header : set.bytes)
    for (unsigned char& b : header) {
      x = x * 1664525u + 1013904223u;
      b = static_cast<unsigned char>(x >> 24);
    }
  return set;
}

void decode_frame_header(benchmark::State& state) {
  header_set set = make_header_set();
  std::size_t i = 0;
  for (auto _ : state) {
    logtrim::frame_header h = logtrim::decode_frame_header(set.bytes[i]);
    benchmark::DoNotOptimize(h);
    i = (i + 1) % HEADER_COUNT;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(decode_frame_header);

void decode_frame_fields(benchmark::State& state) {
  header_set set = make_header_set();
  std::size_t i = 0;
  for (auto _ : state) {
    logtrim::frame_fields f = logtrim::decode_frame_fields(set.bytes[i]);
    benchmark::DoNotOptimize(f);
    i = (i + 1) % HEADER_COUNT;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(decode_frame_fields);

void encode_frame_header(benchmark::State& state) {
  header_set set = make_header_set();
  logtrim::frame_header headers[HEADER_COUNT];
  for (std::size_t i = 0; i < HEADER_COUNT; ++i)
    headers[i] = logtrim::decode_frame_header(set.bytes[i]);
  unsigned char out[logtrim::FRAME_HEADER_SIZE];
  std::size_t i = 0;
  for (auto _ : state) {
    logtrim::encode_frame_header(headers[i], out);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
    i = (i + 1) % HEADER_COUNT;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(encode_frame_header);

// What the copy did with every kept frame before it rewrote the fields in
// place: decode, rewrite, encode.
void decode_and_encode_frame_header(benchmark::State& state) {
  header_set set = make_header_set();
  unsigned char out[logtrim::FRAME_HEADER_SIZE];
  std::size_t i = 0;
  for (auto _ : state) {
    logtrim::frame_header h = logtrim::decode_frame_header(set.bytes[i]);
    h.frame_offset += 1;
    logtrim::encode_frame_header(h, out);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
    i = (i + 1) % HEADER_COUNT;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(decode_and_encode_frame_header);

}  // namespace

BENCHMARK_MAIN();
