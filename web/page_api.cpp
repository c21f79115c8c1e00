// The page's entry points: each call is one run of the tool's own code,
// with the options reset first, so that runs never see each other's.
#include "web/page_api.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>

#include "cli/args.h"
#include "cli/platform.h"
#include "cli/platform_web.h"
#include "cli/process_log.h"
#include "ops/cutter.h"
#include "ops/profile.h"
#include "sonarlog/channels.h"
#include "sonarlog/run_options.h"

namespace {

using namespace logtrim;

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_stream = std::unique_ptr<std::FILE, file_closer>;

cut_size plan;
// About 800 KiB: static, so that the module's memory is fixed up front.
log_profile profile;

// Starts a run: default options, no copy yet, and a clean standard output.
void start_run() {
  run_options = {};
  web_copy_name.clear();
  std::clearerr(stdout);
}

// Ends a run as main does: what could not be printed fails it.
int end_run(int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) status = 1;
  return status;
}

const profile_bucket* bucket_at(int channel, int bucket) {
  if (channel < 0 || channel >= static_cast<int>(CHANNEL_COUNT)) return nullptr;
  const channel_profile& c = profile.channels[channel];
  if (bucket < 0 || bucket >= c.bucket_count) return nullptr;
  return &c.buckets[bucket];
}

constexpr double NO_VALUE = std::numeric_limits<double>::quiet_NaN();

}  // namespace

extern "C" {

int page_main(int argc, char** argv) {
  start_run();
  prepare_standard_output();
  const char* log_path = nullptr;
  int status = parse_args(argc, argv, &log_path);
  if (status < 0) status = process_log(log_path) ? 0 : 1;
  return end_run(status);
}

const char* page_copy_name() { return web_copy_name.c_str(); }

int page_plan(int argc, char** argv) {
  start_run();
  plan = {};
  const char* log_path = nullptr;
  int status = parse_args(argc, argv, &log_path);
  if (status >= 0) return end_run(status);
  // A run with the log alone writes no copy: there is nothing to plan.
  if (run_options.info_only) return end_run(0);
  file_stream log(open_log_file(log_path));
  if (!log) {
    std::printf("Can't open file %s\n", log_path);
    return end_run(1);
  }
  status = measure_cut(log.get(), plan) ? 0 : 1;
  if (status != 0) plan = {};
  return end_run(status);
}

double page_plan_frames() { return static_cast<double>(plan.frames); }
double page_plan_bytes() { return static_cast<double>(plan.bytes); }

const char* page_channel_name(int channel) {
  return channel_name(static_cast<std::uint16_t>(std::clamp(channel, 0, 0xFFFF)));
}

// Asks the deletion rule itself which letter covers the channel, so that
// the page holds no copy of the groups.
int page_channel_group(int channel) {
  const run_options_record saved = run_options;
  std::uint16_t number = static_cast<std::uint16_t>(std::clamp(channel, 0, 0xFFFF));
  int letter = 0;
  for (char candidate : {'P', 'D', 'S'}) {
    run_options = {.delete_traditional = candidate == 'P',
                   .delete_downscan = candidate == 'D',
                   .delete_sidescan = candidate == 'S'};
    if (is_channel_deleted(number)) letter = candidate;
  }
  run_options = saved;
  return letter;
}

int page_profile(const char* log_name, int max_buckets) {
  start_run();
  profile = {};
  file_stream log(open_log_file(log_name));
  if (!log) {
    std::printf("Can't open file %s\n", log_name);
    end_run(1);
    return -1;
  }
  if (!profile_log(log.get(), max_buckets, profile)) {
    profile = {};
    end_run(1);
    return -1;
  }
  end_run(0);
  int total = 0;
  for (int c = 0; c < static_cast<int>(CHANNEL_COUNT); ++c)
    total += page_profile_bucket_count(c);
  return total;
}

int page_profile_bucket_count(int channel) {
  if (channel < 0 || channel >= static_cast<int>(CHANNEL_COUNT)) return 0;
  const channel_profile& c = profile.channels[channel];
  return c.has_depth ? c.bucket_count : 0;
}

double page_profile_frames(int channel) {
  if (channel < 0 || channel >= static_cast<int>(CHANNEL_COUNT)) return 0;
  return static_cast<double>(profile.channels[channel].frames);
}

double page_profile_bucket_width(int channel) {
  if (channel < 0 || channel >= static_cast<int>(CHANNEL_COUNT)) return 0;
  return static_cast<double>(profile.channels[channel].bucket_width);
}

double page_profile_first_frame(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->first_frame_index : NO_VALUE;
}

double page_profile_last_frame(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->last_frame_index : NO_VALUE;
}

double page_profile_min_depth(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->min_depth : NO_VALUE;
}

double page_profile_max_depth(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->max_depth : NO_VALUE;
}

double page_profile_min_speed(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->min_speed : NO_VALUE;
}

double page_profile_max_speed(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->max_speed : NO_VALUE;
}

double page_profile_missing_depth(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->missing_depth : NO_VALUE;
}

double page_profile_bucket_frames(int channel, int bucket) {
  const profile_bucket* b = bucket_at(channel, bucket);
  return b ? b->frames : NO_VALUE;
}

}  // extern "C"
