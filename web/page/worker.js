// The page's worker: runs the tool's library (the WebAssembly module, whose
// code precedes this file in the worker) on the chosen log, read in slices
// straight from the file, and hands the page what it printed, the profile,
// the plan of a copy and the copy itself. One request at a time, in order.
"use strict";

const LOG_FOLDER = "/log";
const COPY_DEVICE = "/dev/logtrim-copy";
// The copy collects in one buffer of this size, reused: when it is full, its
// bytes go into the copy's Blob, which the browser may keep out of this
// worker's memory. A Blob of many writes at once costs less than one for
// each write, and a reused buffer leaves no garbage behind.
const COPY_BUFFER_BYTES = 32 << 20;
const PROGRESS_INTERVAL_MS = 100;

let module_ready = null;
let printed = [];
const progress = { id: 0, done: 0, total: 0, last_post: 0 };
const copy = { blob: new Blob([]), buffer: null, used: 0, bytes: 0 };

function printed_text() {
  return printed.length ? printed.join("\n") + "\n" : "";
}

function post_progress(force) {
  const now = performance.now();
  if (!force && now - progress.last_post < PROGRESS_INTERVAL_MS) return;
  progress.last_post = now;
  postMessage({ id: progress.id, type: "progress", done: progress.done, total: progress.total });
}

function flush_copy() {
  if (copy.used === 0) return;
  copy.blob = new Blob([copy.blob, copy.buffer.subarray(0, copy.used)]);
  copy.used = 0;
}

function add_copy_bytes(bytes) {
  if (!copy.buffer) copy.buffer = new Uint8Array(COPY_BUFFER_BYTES);
  copy.bytes += bytes.length;
  let from = 0;
  while (from < bytes.length) {
    const n = Math.min(bytes.length - from, copy.buffer.length - copy.used);
    copy.buffer.set(bytes.subarray(from, from + n), copy.used);
    copy.used += n;
    from += n;
    if (copy.used === copy.buffer.length) flush_copy();
  }
}

function reset_copy() {
  copy.blob = new Blob([]);
  copy.used = 0;
  copy.bytes = 0;
}

function finished_copy() {
  flush_copy();
  const blob = new Blob([copy.blob], { type: "application/octet-stream" });
  reset_copy();
  return blob;
}

// The log's reads: the library asks for 1 MiB at a time, and each read of
// a File costs far more than its bytes, so the worker reads ahead in large
// slices and serves the library's reads from the last one. It also counts
// the bytes read, for the progress bar.
const READ_AHEAD_BYTES = 16 << 20;
const read_ahead = { file: null, start: 0, bytes: new Uint8Array(0) };
const file_reader = new FileReaderSync();

// True when the slice held has the bytes of `file` from `position` to `end`.
function slice_holds(file, position, end) {
  return read_ahead.file === file && position >= read_ahead.start &&
         end <= read_ahead.start + read_ahead.bytes.length;
}

function read_log(stream, buffer, offset, length, position) {
  const file = stream.node.contents;
  if (position >= file.size) return 0;
  const end = Math.min(position + length, file.size);
  if (!slice_holds(file, position, end)) {
    const slice_end = Math.min(file.size, position + Math.max(READ_AHEAD_BYTES, length));
    read_ahead.bytes = new Uint8Array(
        file_reader.readAsArrayBuffer(file.slice(position, slice_end)));
    read_ahead.file = file;
    read_ahead.start = position;
  }
  const from = position - read_ahead.start;
  new Uint8Array(buffer.buffer, buffer.byteOffset + offset, end - position)
      .set(read_ahead.bytes.subarray(from, from + end - position));
  progress.done += end - position;
  post_progress(false);
  return end - position;
}

// Where the browser can suspend WebAssembly, the slices come from a byte
// stream of the file instead, read into one buffer that is reused: each
// slice that FileReaderSync reads is a new buffer, which the browser frees
// only at its next collection, and a run that reads fast holds hundreds of
// MiB of spent slices by then. The library's read of a descriptor returns,
// when the slice held does not cover it, a promise that settles once the
// stream has filled the buffer; the run is suspended meanwhile, and resumes
// with the read served from the buffer. The stream goes on from where the
// last slice ended, and starts anew at a seek.
const stream_read = { armed: false, module: null, file: null, reader: null, next: 0,
                      buffer: null };

function close_stream() {
  if (stream_read.reader) stream_read.reader.cancel().catch(() => {});
  stream_read.reader = null;
  stream_read.file = null;
}

async function fill_read_ahead(file, position, length) {
  const want = Math.min(file.size, position + Math.max(READ_AHEAD_BYTES, length)) - position;
  if (stream_read.file !== file || stream_read.next !== position) {
    close_stream();
    stream_read.reader = file.slice(position).stream().getReader({ mode: "byob" });
    stream_read.file = file;
    stream_read.next = position;
  }
  // The slice held is overwritten: it is not the one asked for.
  read_ahead.file = null;
  let buffer = stream_read.buffer;
  if (!buffer || buffer.byteLength < want) buffer = new ArrayBuffer(Math.max(READ_AHEAD_BYTES, want));
  stream_read.buffer = null;
  let filled = 0;
  try {
    while (filled < want) {
      const { value, done } = await stream_read.reader.read(
          new Uint8Array(buffer, filled, want - filled));
      if (done) break;
      buffer = value.buffer;
      filled += value.byteLength;
    }
  } catch (error) {
    close_stream();
    throw error;
  }
  stream_read.buffer = buffer;
  stream_read.next = position + filled;
  read_ahead.file = file;
  read_ahead.start = position;
  read_ahead.bytes = new Uint8Array(buffer, 0, filled);
}

// What a read of descriptor `fd` into the `iovcnt` buffers at `iov` needs
// from the log that the slice held lacks: [file, position, length], or null.
function missing_slice(M, fd, iov, iovcnt) {
  const stream = M.FS.getStream(fd);
  if (!stream || stream.stream_ops.read !== read_log) return null;
  const file = stream.node.contents;
  const position = stream.position;
  let length = 0;
  for (let i = 0; i < iovcnt; i++) length += M.HEAPU32[(iov >> 2) + 2 * i + 1];
  const end = Math.min(position + length, file.size);
  if (position >= end || slice_holds(file, position, end)) return null;
  return [file, position, length];
}

function suspending_read(fd_read) {
  return (fd, iov, iovcnt, pnum) => {
    const missing = stream_read.armed && missing_slice(stream_read.module, fd, iov, iovcnt);
    if (!missing) return fd_read(fd, iov, iovcnt, pnum);
    // Should the stream fail, the read is tried again as it would be
    // without it, and fails or succeeds as that does.
    const read = () => fd_read(fd, iov, iovcnt, pnum);
    return fill_read_ahead(...missing).then(read, read);
  };
}

// Calls the library's `name` with numeric arguments; a promise of its
// result where the run can pause, its result at once otherwise.
function call_library(M, name, args) {
  if (!M.suspendable) return M["_" + name](...args);
  const run = M.promising[name] || (M.promising[name] = WebAssembly.promising(M["_" + name]));
  stream_read.armed = true;
  return run(...args).finally(() => { stream_read.armed = false; });
}

// The copy's sink: a character device whose writes append to the copy.
// It can be asked its position (the end of what was written), never moved.
function make_copy_device(M) {
  const FS = M.FS;
  const device = FS.makedev(64, 0);
  FS.registerDevice(device, {
    open() {},
    close() {},
    read() { return 0; },
    write(stream, buffer, offset, length) {
      add_copy_bytes(buffer.subarray(offset, offset + length));
      return length;
    },
    llseek(stream, offset, whence) {
      const base = whence === 1 ? stream.position : whence === 2 ? copy.bytes : 0;
      return base + offset;
    },
  });
  FS.mkdev(COPY_DEVICE, device);
}

function load_module() {
  if (!module_ready) {
    const made = createLogtrimModule({
      print: (line) => printed.push(line),
      printErr: (line) => printed.push(line),
      suspendingRead: suspending_read,
    });
    // The factory hands back a promise of the module; a module built
    // without the build's wrapper hands back itself, with that promise in
    // `ready`.
    module_ready = Promise.resolve(made.ready || made).then((M) => {
      M.promising = {};
      stream_read.module = M;
      M.WORKERFS.stream_ops.read = read_log;
      make_copy_device(M);
      M.FS.mkdir(LOG_FOLDER);
      return M;
    });
  }
  return module_ready;
}

function mount_log(M, file) {
  const FS = M.FS;
  FS.chdir("/");
  try {
    FS.unmount(LOG_FOLDER);
  } catch (e) {
    // Nothing was mounted yet.
  }
  read_ahead.file = null;
  read_ahead.bytes = new Uint8Array(0);
  close_stream();
  FS.mount(M.WORKERFS, { files: [file] }, LOG_FOLDER);
  FS.chdir(LOG_FOLDER);
}

// Calls `name(argc, argv)` with the tool's arguments, argv[0] included.
async function call_with_args(M, name, args) {
  const pointers = args.map((arg) => {
    const size = M.lengthBytesUTF8(arg) + 1;
    const p = M._malloc(size);
    M.stringToUTF8(arg, p, size);
    return p;
  });
  const argv = M._malloc(4 * (pointers.length + 1));
  pointers.forEach((p, i) => { M.HEAP32[(argv >> 2) + i] = p; });
  M.HEAP32[(argv >> 2) + pointers.length] = 0;
  try {
    return await call_library(M, name, [args.length, argv]);
  } finally {
    pointers.forEach((p) => M._free(p));
    M._free(argv);
  }
}

// The profile of every channel that has depth, as arrays per field.
async function read_profile(M, log_name) {
  const size = M.lengthBytesUTF8(log_name) + 1;
  const name = M._malloc(size);
  M.stringToUTF8(log_name, name, size);
  let count;
  try {
    count = await call_library(M, "page_profile", [name, 2000]);
  } finally {
    M._free(name);
  }
  if (count < 0) return null;
  const at = (field) => M.cwrap("page_profile_" + field, "number", ["number", "number"]);
  const fields = {
    first: at("first_frame"), last: at("last_frame"),
    min_depth: at("min_depth"), max_depth: at("max_depth"),
    min_speed: at("min_speed"), max_speed: at("max_speed"),
    missing: at("missing_depth"), count: at("bucket_frames"),
  };
  const channels = [];
  for (let channel = 0; channel < 6; channel++) {
    const n = M.ccall("page_profile_bucket_count", "number", ["number"], [channel]);
    if (n <= 0) continue;
    const buckets = {};
    for (const [key, get] of Object.entries(fields)) {
      const values = new Float64Array(n);
      for (let i = 0; i < n; i++) values[i] = get(channel, i);
      buckets[key] = values;
    }
    const frames = M.ccall("page_profile_frames", "number", ["number"], [channel]);
    channels.push({ channel, name: channel_name(M, channel), frames, buckets });
  }
  return { channels };
}

function channel_name(M, channel) {
  return M.UTF8ToString(M.ccall("page_channel_name", "number", ["number"], [channel]));
}

function start_request(message, passes) {
  printed = [];
  progress.id = message.id;
  progress.done = 0;
  progress.total = message.file.size * passes;
  progress.last_post = 0;
  post_progress(true);
}

const handlers = {
  // The summary, as `logtrim LOG` prints it, then the profile for the chart.
  async open(M, message) {
    start_request(message, 2);
    const name = message.file.name;
    const status = await call_with_args(M, "page_main", ["logtrim", name]);
    const text = printed_text();
    postMessage({ id: message.id, type: "summary", status, text });
    let profile = null;
    let profile_text = "";
    if (status === 0) {
      printed = [];
      profile = await read_profile(M, name);
      profile_text = printed_text();
    }
    return { status, text, profile, profile_text };
  },

  // What the copy with these arguments will hold, without writing it.
  async plan(M, message) {
    start_request(message, 1);
    const status = await call_with_args(M, "page_plan", message.args);
    const text = printed_text();
    if (status !== 0) return { status, text };
    return { status, text, frames: M.ccall("page_plan_frames", "number", [], []),
             bytes: M.ccall("page_plan_bytes", "number", [], []) };
  },

  // The tool's copy run; the copy's bytes come out of the device.
  async save(M, message) {
    start_request(message, 2);
    reset_copy();
    const status = await call_with_args(M, "page_main", message.args);
    const text = printed_text();
    const name = M.UTF8ToString(M.ccall("page_copy_name", "number", [], []));
    const blob = finished_copy();
    return { status, text, name, blob };
  },

  // Each channel group's letter with the names of its channels.
  groups(M) {
    const groups = {};
    for (let channel = 0; channel < 256; channel++) {
      const letter = M.ccall("page_channel_group", "number", ["number"], [channel]);
      if (letter === 0) continue;
      const key = String.fromCharCode(letter);
      (groups[key] = groups[key] || []).push(channel_name(M, channel));
    }
    return { groups };
  },
};

let queue = Promise.resolve();

onmessage = (event) => {
  const message = event.data;
  queue = queue.then(async () => {
    try {
      const M = await load_module();
      if (message.file) mount_log(M, message.file);
      const start = performance.now();
      const result = await handlers[message.type](M, message);
      post_progress(true);
      postMessage({ id: message.id, type: "done", run_ms: performance.now() - start, ...result });
    } catch (error) {
      postMessage({ id: message.id, type: "failed", error: String(error && error.stack || error) });
    }
  });
};
