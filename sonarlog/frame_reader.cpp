#include "sonarlog/frame_reader.h"

#include <cstdio>

namespace logtrim {

void print_read_error() { std::puts("Read error!"); }

}  // namespace logtrim
