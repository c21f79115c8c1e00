#include "sonarlog/channels.h"

#include "sonarlog/frame_header.h"
#include "sonarlog/run_options.h"

namespace logtrim {

// The spelling of these names is what users and their scripts have always
// seen in the report; it is kept as it is.
static const char* const CHANNEL_NAMES[CHANNEL_COUNT] = {
    "Primary (Tranditional Sonar)",
    "Secondary (Tranditional Sonar)",
    "DSI (DownScan Imaging)",
    "Left (Sidescan)",
    "Right (Sidescan)",
    "Composite (Sidescan)",
};

const char* channel_name(std::uint16_t channel) {
  return channel < CHANNEL_COUNT ? CHANNEL_NAMES[channel] : "Invalid";
}

bool is_channel_deleted(std::uint16_t channel) {
  switch (channel) {
    case 0:
    case 1:
      return run_options.delete_traditional;
    case 2:
      return run_options.delete_downscan;
    case 3:
    case 4:
    case 5:
      return run_options.delete_sidescan;
    default:
      return false;
  }
}

}  // namespace logtrim
