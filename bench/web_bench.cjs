#!/usr/bin/env node
// Times the page against the native tool on generated logs, in the same run:
//
//   bench/web_bench.cjs [--rounds N] [--page HTML] [--native BUILD] [--modules DIR] [SIZE ...]
//
// SIZE is what make_test_log takes (default 256M and 1G); HTML the built
// page (build/web/logtrim.html), BUILD a native release build
// (build/release), DIR where web/test/install_node_modules.sh put
// puppeteer-core (build/npm/node_modules).
//
// The page's scan is the time from handing the file to its chooser to the
// summary shown; its copy the time from pressing Save (whole log, -c 0:-1)
// to the download complete. The tool's are `logtrim LOG` and
// `logtrim -c 0:-1 LOG`, its whole runs. Each round runs the tool, then the
// page, on a log in a fresh folder on tmpfs (/dev/shm) with its page cache
// warm; the medians of the rounds and their ratios are printed, and the
// peak memory of the page, in one more scan and copy: the JavaScript heaps
// of the page and its worker as Chromium reports them (sampled every 50 ms),
// and the peak resident memory of the renderer process that runs both. A
// last row gives what reading the file alone costs in the browser, the
// floor under both.
"use strict";

const child_process = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const REPO = path.dirname(__dirname);
const { launch_browser, expect_download } = require(path.join(REPO, "web/test/browser.cjs"));

function parse_options(argv) {
  const options = {
    rounds: 3,
    page: path.join(REPO, "build/web/logtrim.html"),
    native: path.join(REPO, "build/release"),
    modules: path.join(REPO, "build/npm/node_modules"),
    sizes: [],
  };
  for (let i = 0; i < argv.length; i++) {
    const key = argv[i].replace(/^--/, "");
    if (key in options && key !== "sizes") options[key] = argv[++i];
    else options.sizes.push(argv[i]);
  }
  options.rounds = Number(options.rounds);
  if (options.sizes.length === 0) options.sizes = ["256M", "1G"];
  return options;
}

const options = parse_options(process.argv.slice(2));
const puppeteer = require(path.join(path.resolve(options.modules), "puppeteer-core"));
const page_url = "file://" + path.resolve(options.page);

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const seconds = () => Number(process.hrtime.bigint()) / 1e9;
const mib = (bytes) => (bytes / 1048576).toFixed(1) + " MiB";

function timed_native(args, cwd) {
  const start = seconds();
  const result = child_process.spawnSync(path.join(options.native, "logtrim"), args,
                                         { cwd, stdio: ["ignore", "ignore", "inherit"] });
  const elapsed = seconds() - start;
  if (result.status !== 0) throw new Error("logtrim " + args.join(" ") + " failed");
  return elapsed;
}

function warm(file) {
  child_process.spawnSync("cat", [file], { stdio: ["ignore", "ignore", "inherit"] });
}

// Peak memory while the page works, for each pass on its own: the heaps
// Chromium reports for the page and its worker (the worker's with the
// buffers it holds), sampled every 50 ms, the peak resident memory of the
// renderer process that runs both and of the browser process, which keeps
// the Blobs, and the most the browser has paged out of its Blobs into its
// profile (on tmpfs here, so memory too).
function resident_kib(pid, field = "VmHWM") {
  try {
    const status = fs.readFileSync("/proc/" + pid + "/status", "utf8");
    return Number(new RegExp(field + ":\\s+(\\d+)").exec(status)[1]);
  } catch (error) {
    return 0;  // Gone already.
  }
}

function reset_resident_peak(pid) {
  try {
    fs.writeFileSync("/proc/" + pid + "/clear_refs", "5");
  } catch (error) {
    // Gone already.
  }
}

function folder_bytes(folder) {
  let total = 0;
  try {
    for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
      const where = path.join(folder, entry.name);
      total += entry.isDirectory() ? folder_bytes(where) : fs.statSync(where).size;
    }
  } catch (error) {
    // Not made yet, or changing under us.
  }
  return total;
}

function start_memory_watch(page, pids, blob_folder) {
  for (const pid of pids) reset_resident_peak(pid);
  const peak = { page_heap: 0, worker_heap: 0, blobs_on_disk: 0, renderer_hwm_kib: 0, browser_hwm_kib: 0,
                 renderer_start_kib: Math.max(0, ...pids.renderers.map((pid) => resident_kib(pid, "VmRSS"))),
                 browser_start_kib: resident_kib(pids.browser, "VmRSS") };
  let stopped = false;
  // The peaks the kernel keeps may miss memory that was given back by
  // other means than unmapping it, so the resident memory is sampled too.
  const sample = async () => {
    while (!stopped) {
      peak.blobs_on_disk = Math.max(peak.blobs_on_disk, folder_bytes(blob_folder));
      for (const pid of pids.renderers) {
        peak.renderer_hwm_kib = Math.max(peak.renderer_hwm_kib, resident_kib(pid, "VmRSS"));
      }
      peak.browser_hwm_kib = Math.max(peak.browser_hwm_kib, resident_kib(pids.browser, "VmRSS"));
      try {
        const metrics = await page.metrics();
        peak.page_heap = Math.max(peak.page_heap, metrics.JSHeapTotalSize);
        for (const worker of page.workers()) {
          const usage = await worker.client.send("Runtime.getHeapUsage").catch(() => null);
          if (usage) {
            peak.worker_heap = Math.max(peak.worker_heap,
                usage.totalSize + (usage.backingStorageSize || 0));
          }
        }
      } catch (error) {
        // The page is between loads.
      }
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  };
  const running = sample();
  return {
    peak,
    stop: async () => {
      stopped = true;
      await running;
      for (const pid of pids.renderers) {
        peak.renderer_hwm_kib = Math.max(peak.renderer_hwm_kib, resident_kib(pid));
      }
      peak.browser_hwm_kib = Math.max(peak.browser_hwm_kib, resident_kib(pids.browser));
      return peak;
    },
  };
}

// What reading the log alone costs in this browser: a worker reads the File
// in the page's 16 MiB slices with FileReaderSync and does nothing else.
const READ_FLOOR_PAGE = `<!DOCTYPE html><input type="file" id="f"><script>
const worker = new Worker(URL.createObjectURL(new Blob([\`onmessage = (event) => {
  const file = event.data, reader = new FileReaderSync();
  const start = performance.now();
  for (let p = 0; p < file.size; p += 16 << 20) reader.readAsArrayBuffer(file.slice(p, p + (16 << 20)));
  postMessage(performance.now() - start);
};\`])));
worker.onmessage = (event) => { document.body.dataset.ms = String(event.data); };
document.getElementById("f").onchange = (event) => worker.postMessage(event.target.files[0]);
</script>`;

async function read_floor(page, floor_url, log) {
  await page.goto(floor_url);
  await (await page.$("#f")).uploadFile(log);
  await page.waitForFunction(() => document.body.dataset.ms !== undefined, { timeout: 600000 });
  return Number(await page.evaluate(() => document.body.dataset.ms)) / 1000;
}

async function browser_pids(browser) {
  const session = await browser.target().createCDPSession();
  const info = await session.send("SystemInfo.getProcessInfo");
  const renderers = info.processInfo.filter((p) => p.type === "renderer").map((p) => p.id);
  const browser_pid = browser.process().pid;
  return Object.assign([browser_pid, ...renderers], { renderers, browser: browser_pid });
}

async function page_scan(page, log) {
  await page.goto(page_url);
  await page.waitForFunction(() => document.body.dataset.jobs !== undefined || true);
  const input = await page.$("#file-input");
  const start = seconds();
  await input.uploadFile(log);
  await page.waitForFunction(() => document.body.dataset.summary === "shown",
                             { timeout: 600000, polling: 10 });
  const elapsed = seconds() - start;
  await page.waitForFunction(() => document.body.dataset.opened === "yes" &&
                                   document.body.dataset.jobs === "0", { timeout: 600000 });
  return elapsed;
}

async function page_copy(browser, page, folder) {
  await page.waitForFunction(() => document.getElementById("plan").dataset.state === "ready" &&
                                   document.body.dataset.jobs === "0", { timeout: 600000 });
  const download = expect_download(browser, folder);
  const start = seconds();
  await page.click("#save-button");
  const name = await download;
  const elapsed = seconds() - start;
  const run = Number(await page.evaluate(() => document.body.dataset.run_ms)) / 1000;
  return { elapsed, run, file: path.join(folder, name) };
}

async function bench_size(size, session, folder) {
  const { browser, page } = session;
  const downloads = path.join(folder, "downloads");
  fs.mkdirSync(downloads);
  const log = path.join(folder, "bench.sl2");
  try {
    const made = child_process.spawnSync(path.join(options.native, "make_test_log"), [log, size]);
    if (made.status !== 0) throw new Error("make_test_log failed");
    const runs = { native_scan: [], page_scan: [], native_copy: [], page_copy: [], page_copy_run: [], read: [] };
    const floor_page = path.join(folder, "read_floor.html");
    fs.writeFileSync(floor_page, READ_FLOOR_PAGE);
    for (let round = 0; round < options.rounds; round++) {
      warm(log);
      runs.native_scan.push(timed_native(["bench.sl2"], folder));
      warm(log);
      runs.page_scan.push(await page_scan(page, log));
      runs.native_copy.push(timed_native(["-c", "0:-1", "bench.sl2"], folder));
      fs.rmSync(path.join(folder, "bench_0--1.sl2"));
      warm(log);
      const saved = await page_copy(browser, page, downloads);
      runs.page_copy.push(saved.elapsed);
      runs.page_copy_run.push(saved.run);
      if (fs.statSync(saved.file).size !== fs.statSync(log).size) {
        throw new Error("the page's copy has not the log's size");
      }
      fs.rmSync(saved.file);
      warm(log);
      runs.read.push(await read_floor(page, "file://" + floor_page, log));
    }
    // Memory in a round of its own: asking the worker for its heap while
    // the library runs there slows the run. The page is loaded first, so
    // that its renderer is there to be watched from the scan's start.
    await page.goto(page_url);
    const pids = await browser_pids(browser);
    const scan_watch = start_memory_watch(page, pids, session.profile);
    await page_scan(page, log);
    const scan = await scan_watch.stop();
    const copy_watch = start_memory_watch(page, pids, session.profile);
    fs.rmSync((await page_copy(browser, page, downloads)).file);
    const copy = await copy_watch.stop();
    return { size, bytes: fs.statSync(log).size, runs, peak: { scan, copy } };
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

function report(result) {
  const m = Object.fromEntries(Object.entries(result.runs).map(([k, v]) => [k, median(v)]));
  const line = (what, page, tool) => console.log(
      "| " + mib(result.bytes) + " | " + what + " | " + page.toFixed(3) + " | " + tool.toFixed(3) +
      " | " + (page / tool).toFixed(2) + " | " +
      (result.bytes / 1048576 / page).toFixed(0) + " |");
  line("scan (open to summary)", m.page_scan, m.native_scan);
  line("copy -c 0:-1 (save to file)", m.page_copy, m.native_copy);
  console.log("| " + mib(result.bytes) + " | (of the copy: the library's run in the worker) | " +
              m.page_copy_run.toFixed(3) + " | | | |");
  console.log("| " + mib(result.bytes) + " | (reading the file alone in the browser, once) | " +
              m.read.toFixed(3) + " | | | " + (result.bytes / 1048576 / m.read).toFixed(0) + " |");
  for (const [pass, peak] of Object.entries(result.peak)) {
    console.log("peak memory of the " + pass + ": page heap " + mib(peak.page_heap) +
                ", worker heap " + mib(peak.worker_heap) + ", renderer peak RSS " +
                mib(peak.renderer_hwm_kib * 1024) + " (from " + mib(peak.renderer_start_kib * 1024) +
                "), browser process peak RSS " + mib(peak.browser_hwm_kib * 1024) + " (from " +
                mib(peak.browser_start_kib * 1024) + ")" + ", Blobs paged to the profile " +
                mib(peak.blobs_on_disk));
  }
  console.log("rounds: " +
              JSON.stringify(Object.fromEntries(Object.entries(result.runs).map(
                  ([k, v]) => [k, v.map((x) => Number(x.toFixed(3)))]))));
}

async function main() {
  console.log("| log | pass | page s | logtrim s | page / logtrim | page MiB/s |");
  console.log("|---|---|---:|---:|---:|---:|");
  for (const size of options.sizes) {
    // A fresh browser for each size, so that each peak is its own.
    const folder = fs.mkdtempSync(path.join(fs.existsSync("/dev/shm") ? "/dev/shm" : os.tmpdir(),
                                            "logtrim-web-bench-"));
    // The browser's profile, where it keeps large Blobs such as the copy,
    // is on tmpfs too, as are the tool's log and copy.
    const session = await launch_browser(puppeteer, { viewport: { width: 1280, height: 720 },
        profile_parent: folder,
        extra_args: (process.env.LOGTRIM_CHROMIUM_FLAGS || "").split(" ").filter(Boolean),
        page_urls: [page_url, "file://" + path.join(folder, "read_floor.html")] });
    try {
      report(await bench_size(size, session, folder));
      if (session.requests.length) console.log("network requests: " + session.requests.join(", "));
    } finally {
      await session.close();
    }
  }
}

main().catch((error) => {
  console.log(error.stack);
  process.exit(1);
});
