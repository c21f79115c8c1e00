// What the page's worker calls in the WebAssembly module. The worker mounts
// the chosen file at /log and makes /log the working folder, so that the
// log is named by its bare file name, as on the command line. Everything
// the library prints reaches the page through the module's `print`, one
// line at a time without its newline.
//
// The copy goes to the device /dev/logtrim-copy, which the worker creates
// before a run; its write function receives the copy's bytes in order, in
// parts.
#pragma once

extern "C" {

/// The tool's whole run, as `logtrim` with these arguments does it
/// (argv[0] is "logtrim"), starting from the default options every time.
/// Returns the exit status.
int page_main(int argc, char** argv);

/// The tool's output name of the copy the last page_main created, or ""
/// when it created none.
const char* page_copy_name();

/// Takes the same arguments as page_main. When the arguments are refused or
/// the log cannot be read, prints the tool's message and returns the tool's
/// exit status (1). The usage line (no log named) is printed with status 0,
/// as the tool does, and returns 0 with nothing planned. Otherwise walks
/// the log as the copy does, writing nothing, and returns 0; then
/// page_plan_frames and page_plan_bytes give the frames and the bytes (file
/// header included) that the copy will have.
int page_plan(int argc, char** argv);
double page_plan_frames();
double page_plan_bytes();

/// The channel's display name, as the summary prints it ("Invalid" above 5).
const char* page_channel_name(int channel);
/// The letter that drops the channel from a copy: 'P', 'D' or 'S', or 0
/// when no letter covers it (channels above 5).
int page_channel_group(int channel);

/// Walks the log `log_name` once and keeps its depth profile: per channel 0
/// to 5, at most `max_buckets` buckets of consecutive frames (1 to 4096;
/// values outside are taken as the nearest). Returns the number of buckets
/// of all channels together, or -1 after printing the tool's message
/// ("Can't open file NAME" or "Read error!").
///
/// The profile stays until the next call. For each channel 0 to 5:
int page_profile(const char* log_name, int max_buckets);

/// Buckets of the channel: 0 when the channel has no frame with a real depth
/// (finite and above zero) or no frame at all, so the chart skips it.
int page_profile_bucket_count(int channel);
/// Frames of the channel in the log, and frames per bucket (the last bucket
/// may hold fewer).
double page_profile_frames(int channel);
double page_profile_bucket_width(int channel);

/// Of bucket `bucket` (0 to bucket_count - 1) of `channel`, in the order of
/// the file:
/// the frame_index of its first and of its last frame;
double page_profile_first_frame(int channel, int bucket);
double page_profile_last_frame(int channel, int bucket);
/// the range of its real depths in metres, NaN when it has none;
double page_profile_min_depth(int channel, int bucket);
double page_profile_max_depth(int channel, int bucket);
/// the range of its finite speeds as recorded (no unit), NaN when none;
double page_profile_min_speed(int channel, int bucket);
double page_profile_max_speed(int channel, int bucket);
/// how many of its frames have no real depth (0, negative, NaN, infinite),
/// and how many frames it holds.
double page_profile_missing_depth(int channel, int bucket);
double page_profile_bucket_frames(int channel, int bucket);

}  // extern "C"
