// The page against the native tool: for a table of generated logs and
// option sets, the page opened from file:// in headless Chromium must show
// the summary the tool prints, plan and save the copy the tool writes (same
// name, same bytes, same messages), and never make a network request.
//
//   node page_test.cjs --page logtrim.html --native BUILD --modules NODE_MODULES --out DIR
//
// BUILD is a native build holding logtrim and make_test_log; NODE_MODULES
// holds puppeteer-core; DIR receives the logs, the downloads and the
// screenshots (page.png 1280 pixels wide, narrow.png 390 pixels wide).
"use strict";

const assert = require("assert");
const child_process = require("child_process");
const fs = require("fs");
const path = require("path");
const { launch_browser, expect_download } = require("./browser.cjs");

function parse_options(argv) {
  const options = {};
  for (let i = 0; i + 1 < argv.length; i += 2) options[argv[i].replace(/^--/, "")] = argv[i + 1];
  for (const key of ["page", "native", "modules", "out"]) {
    if (!options[key]) {
      console.log("Usage: node page_test.cjs --page HTML --native BUILD --modules DIR --out DIR");
      process.exit(2);
    }
  }
  return options;
}

const options = parse_options(process.argv.slice(2));
const puppeteer = require(path.join(path.resolve(options.modules), "puppeteer-core"));
const out = path.resolve(options.out);
options.native = path.resolve(options.native);
const logs = path.join(out, "logs");
const page_url = "file://" + path.resolve(options.page);

// --- The native side -----------------------------------------------------------

function native(args) {
  const result = child_process.spawnSync(path.join(options.native, "logtrim"), args,
                                         { cwd: logs, encoding: "latin1" });
  return { status: result.status, stdout: result.stdout };
}

// The native tool's copy run in the logs folder: its output, and the copy
// it wrote (removed again, so that the folder holds only the logs).
function native_copy(args) {
  const before = new Set(fs.readdirSync(logs));
  const run = native(args);
  const made = fs.readdirSync(logs).filter((name) => !before.has(name));
  assert.ok(made.length <= 1, "the tool wrote more than one file: " + made);
  run.copy_name = made.length ? made[0] : null;
  if (run.copy_name) {
    run.copy = fs.readFileSync(path.join(logs, run.copy_name));
    fs.rmSync(path.join(logs, run.copy_name));
  }
  return run;
}

// Frames in a log: what follows the 8-byte header, frame by frame.
function count_frames(bytes) {
  let frames = 0;
  for (let at = 8; at + 144 <= bytes.length; at += 144 + bytes.readUInt16LE(at + 34)) frames++;
  return frames;
}

function make_logs() {
  fs.rmSync(out, { recursive: true, force: true });
  fs.mkdirSync(logs, { recursive: true });
  const generate = (name, size, extra) => {
    const result = child_process.spawnSync(path.join(options.native, "make_test_log"),
        [...extra, path.join(logs, name), size], { encoding: "utf8" });
    assert.strictEqual(result.status, 0, "make_test_log " + name + ": " + result.stdout);
  };
  // A trip with stops: the chart shades where the boat stood still.
  generate("trip.sl2", "3M", ["-s", "6"]);
  // Every named channel, and one above them that no letter drops.
  generate("all_channels.sl2", "600K", ["-s", "7", "-c", "0,1,2,3,4,5,7"]);
  // A name without the .sl2 extension: the copy's name loses 4 bytes anyway.
  generate("survey.bin", "300K", ["-s", "3", "-c", "1,2"]);
  // A log that ends inside a frame's data.
  fs.writeFileSync(path.join(logs, "cut_short.sl2"),
                   fs.readFileSync(path.join(logs, "trip.sl2")).subarray(0, 50000));
  // Long enough to read that a Cancel is seen to stop it.
  generate("long.sl2", "24M", []);
  fs.writeFileSync(path.join(logs, "five.sl2"), Buffer.from([1, 2, 3, 4, 5]));
  fs.writeFileSync(path.join(logs, "notes.txt"),
                   "Not a sonar log at all, only a few lines of text.\n".repeat(40));
}

// --- The page side -------------------------------------------------------------

async function wait_idle(page) {
  await page.waitForFunction(() => document.body.dataset.jobs === "0", { timeout: 120000 });
}

async function open_in_page(page, name) {
  await page.goto(page_url);
  const input = await page.$("#file-input");
  await input.uploadFile(path.join(logs, name));
  await page.waitForFunction(() => document.body.dataset.opened === "yes" ||
                                   document.body.dataset.opened === "error",
                             { timeout: 120000 });
  await wait_idle(page);
  return page.$eval("#summary-text", (e) => e.textContent);
}

async function type_into(page, selector, text) {
  await page.click(selector, { clickCount: 3 });
  await page.keyboard.press("Backspace");
  await page.keyboard.type(text);
}

// A drag across the first chart from one share of its width to another.
async function drag_on_chart(page, from, to) {
  const canvas = await page.$("#charts canvas");
  await canvas.scrollIntoView();
  const box = await canvas.boundingBox();
  const y = box.y + box.height / 2;
  await page.mouse.move(box.x + box.width * from, y);
  await page.mouse.down();
  await page.mouse.move(box.x + box.width * (from + to) / 2, y, { steps: 4 });
  await page.mouse.move(box.x + box.width * to, y, { steps: 4 });
  await page.mouse.up();
}

async function set_letters(page, letters) {
  for (const letter of "PDS") {
    const box = "#drop-" + letter.toLowerCase();
    const want = letters.toUpperCase().includes(letter);
    if (await page.$eval(box, (e) => e.checked) !== want) await page.click(box);
  }
}

async function read_plan(page) {
  await page.waitForFunction(() => {
    const state = document.getElementById("plan").dataset.state;
    return (state === "ready" || state === "refused") && document.body.dataset.jobs === "0";
  }, { timeout: 120000 });
  return page.$eval("#plan", (e) => ({ state: e.dataset.state, text: e.textContent,
                                       frames: e.dataset.frames, bytes: e.dataset.bytes }));
}

async function save_in_page(browser, page, folder) {
  fs.mkdirSync(folder, { recursive: true });
  const download = expect_download(browser, folder);
  await page.evaluate(() => { document.body.dataset.saved = ""; });
  await page.click("#save-button");
  await page.waitForFunction(() => document.body.dataset.saved !== "", { timeout: 300000 });
  const saved = await page.evaluate(() => document.body.dataset.saved);
  const text = await page.$eval("#run-text", (e) => e.textContent);
  if (saved === "refused" || saved === "failed") return { saved, text, name: null };
  const name = await download;
  return { saved, text, name, bytes: fs.readFileSync(path.join(folder, name)) };
}

// --- The table -------------------------------------------------------------------
// range: [START, END] typed, or "drag" (picked on the chart; the native run
// gets the values the drag put into the fields). refused: the tool refuses
// the range, so there is nothing to save.

const CASES = [
  { log: "trip.sl2", range: ["100", "200"], letters: "" },
  { log: "trip.sl2", range: ["0", "-1"], letters: "s" },
  { log: "trip.sl2", range: "drag", letters: "D" },
  { log: "trip.sl2", range: ["5", "-1"], letters: "ps" },
  { log: "all_channels.sl2", range: ["10", "400"], letters: "ds" },
  // Channel 7 is all that every letter leaves.
  { log: "all_channels.sl2", range: ["0", "1"], letters: "pds" },
  { log: "all_channels.sl2", range: ["0", "0"], letters: "pds", refused: true },
  { log: "survey.bin", range: ["1", "2"], letters: "" },
  { log: "trip.sl2", range: ["10", "10"], letters: "", refused: true },
  { log: "trip.sl2", range: ["-5", "10"], letters: "s", refused: true },
  { log: "five.sl2", range: ["0", "-1"], letters: "" },
  { log: "notes.txt", range: ["0", "-1"], letters: "p" },
  { log: "cut_short.sl2", range: ["0", "-1"], letters: "" },
  // Longer than one slice of the page's reads: the scan's passes and the
  // copy's, which starts in the middle, go on across slices.
  { log: "long.sl2", range: ["1000", "-1"], letters: "" },
];

async function run_case(browser, page, c, number) {
  const shown = await open_in_page(page, c.log);
  const summary = native([c.log]);
  assert.strictEqual(shown, summary.stdout, c.log + ": summary differs from the tool's");

  if (c.range === "drag") {
    await drag_on_chart(page, 0.2, 0.45);
  } else {
    await type_into(page, "#cut-start", c.range[0]);
    await type_into(page, "#cut-end", c.range[1]);
  }
  await set_letters(page, c.letters);
  const start = await page.$eval("#cut-start", (e) => e.value);
  const end = await page.$eval("#cut-end", (e) => e.value);
  if (c.range === "drag") {
    assert.ok(Number(end) > Number(start) && Number(start) > 0,
              "the drag picked no range: " + start + ":" + end);
  }
  const args = ["-c", start + ":" + end, ...(c.letters ? ["-d", c.letters.toUpperCase()] : []), c.log];
  const expected = native_copy(args);

  const plan = await read_plan(page);
  const saved = await save_in_page(browser, page, path.join(out, "downloads", String(number)));
  assert.strictEqual(saved.text, expected.stdout, "the copy run's output differs");
  if (c.refused) {
    assert.strictEqual(expected.status, 1);
    assert.strictEqual(plan.state, "refused");
    assert.strictEqual(plan.text, expected.stdout.trim());
    assert.strictEqual(saved.name, null, "a refused range saved a file");
  } else {
    assert.strictEqual(expected.status, 0);
    assert.strictEqual(plan.state, "ready", "plan: " + plan.text);
    assert.strictEqual(Number(plan.bytes), expected.copy.length, "planned bytes");
    assert.strictEqual(Number(plan.frames), count_frames(expected.copy), "planned frames");
    assert.strictEqual(saved.name, expected.copy_name, "the copy's name");
    assert.ok(saved.bytes.equals(expected.copy), "the saved copy's bytes differ from the tool's");
  }
  return "tool " + args.join(" ") + " -> " + (expected.copy_name || "(no copy)") +
      (expected.copy ? " " + expected.copy.length + " bytes" : "") + ", status " + expected.status;
}

// The table shows the same figures as the summary text: one row per channel.
async function check_table(page) {
  const rows = await page.$$eval("#summary-table tbody tr",
      (trs) => trs.map((tr) => [...tr.children].map((td) => td.textContent)));
  const text = await page.$eval("#summary-text", (e) => e.textContent);
  const channels = text.split("\n").filter((line) => line.startsWith("=== "));
  assert.strictEqual(rows.length, channels.length, "table rows");
  const first = text.split("\n").slice(0, 3).join("\n");
  const [name, sounds, depth_from, depth_to, no_depth, speed_from, speed_to] = rows[0];
  assert.ok(first.startsWith("=== " + name + ": " + sounds + " sounds"), "row 0: " + rows[0]);
  assert.ok(first.includes(depth_from + " m to") && first.includes(depth_to + " m;") &&
            first.includes("count = " + no_depth) && first.includes(speed_from + " to") &&
            first.endsWith(" " + speed_to), "row 0 figures: " + rows[0]);
}

// Each group's tick names the channels the letter drops, as the tool
// names them in a summary of every channel.
async function check_group_names(page) {
  const names = native(["all_channels.sl2"]).stdout.split("\n")
      .filter((line) => line.startsWith("=== ")).map((line) => line.slice(4).split(":")[0]);
  assert.strictEqual(names.length, 6);
  const labels = await page.$$eval("#groups label", (ls) => ls.map((l) => l.textContent.replace(/\s+/g, " ").trim()));
  assert.deepStrictEqual(labels, ["P " + names[0] + ", " + names[1], "D " + names[2],
                                  "S " + names.slice(3).join(", ")]);
}

// While a log is read the progress bar counts its bytes; Cancel stops the
// worker at once, and the next log opens in a fresh one. The page itself
// presses Cancel on the open's first count of bytes, so that a loaded
// machine cannot let the open end first.
async function check_cancel(page) {
  await page.goto(page_url);
  const seen = page.evaluate(() => new Promise((resolve) => {
    const progress = document.getElementById("progress");
    const watch = new MutationObserver(() => {
      if (document.getElementById("progress-label").textContent !== "Reading the log" ||
          !(progress.max > 1)) return;
      watch.disconnect();
      const counted = { max: progress.max, done: progress.value };
      document.getElementById("cancel-button").click();
      resolve(counted);
    });
    watch.observe(document.getElementById("busy"),
                  { subtree: true, childList: true, characterData: true, attributes: true });
  }));
  const input = await page.$("#file-input");
  await input.uploadFile(path.join(logs, "long.sl2"));
  const progress = await seen;
  assert.ok(progress.done < progress.max, "the open was over before Cancel");
  assert.strictEqual(progress.max, 2 * fs.statSync(path.join(logs, "long.sl2")).size,
                     "progress of the open: the summary's and the profile's reads");
  await wait_idle(page);
  const after = await page.evaluate(() => ({
    status: document.getElementById("status").textContent,
    busy: document.getElementById("busy").hidden,
    summary: document.getElementById("summary-section").hidden }));
  assert.deepStrictEqual(after, { status: "Cancelled.", busy: true, summary: true });
  await input.uploadFile(path.join(logs, "trip.sl2"));
  await page.waitForFunction(() => document.body.dataset.opened === "yes", { timeout: 120000 });
  assert.strictEqual(await page.$eval("#summary-text", (e) => e.textContent),
                     native(["trip.sl2"]).stdout, "the summary after a Cancel");
}

// A log dropped on the page opens as one chosen with the file chooser.
async function check_drop(page) {
  await page.goto(page_url);
  const bytes = fs.readFileSync(path.join(logs, "survey.bin")).toString("base64");
  await page.evaluate((base64, name) => {
    const data = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const transfer = new DataTransfer();
    transfer.items.add(new File([data], name));
    const target = document.getElementById("summary-section");
    target.dispatchEvent(new DragEvent("dragover", { bubbles: true, cancelable: true, dataTransfer: transfer }));
    target.dispatchEvent(new DragEvent("drop", { bubbles: true, cancelable: true, dataTransfer: transfer }));
  }, bytes, "survey.bin");
  await page.waitForFunction(() => document.body.dataset.opened === "yes", { timeout: 120000 });
  assert.strictEqual(await page.$eval("#summary-text", (e) => e.textContent),
                     native(["survey.bin"]).stdout, "the summary of a dropped log");
}

// Every control is reached with the Tab key alone.
async function check_keyboard(page) {
  const reached = new Set();
  await page.focus("body");
  for (let i = 0; i < 40; i++) {
    await page.keyboard.press("Tab");
    reached.add(await page.evaluate(() => document.activeElement.id || document.activeElement.tagName));
  }
  for (const id of ["file-input", "cut-start", "cut-end", "drop-p", "drop-d", "drop-s", "save-button"]) {
    assert.ok(reached.has(id), id + " is not reached by Tab: " + [...reached]);
  }
}

// At 1280x720 and in a phone's width the page needs no sideways scrolling.
async function check_widths(page) {
  for (const width of [1280, 390]) {
    await page.setViewport({ width, height: width === 1280 ? 720 : 800 });
    await new Promise((resolve) => setTimeout(resolve, 200));
    const widths = await page.evaluate(() => ({ page: document.documentElement.scrollWidth,
                                                 window: window.innerWidth }));
    assert.ok(widths.page <= widths.window, "the page is wider than the window: " +
              JSON.stringify(widths));
  }
  await page.screenshot({ path: path.join(out, "narrow.png"), fullPage: true });
  await page.setViewport({ width: 1280, height: 720 });
}

async function main() {
  make_logs();
  const session = await launch_browser(puppeteer,
      { viewport: { width: 1280, height: 720 }, page_urls: [page_url] });
  const { browser, page, requests, background } = session;
  const page_errors = [];
  page.on("pageerror", (error) => page_errors.push(String(error)));
  let failed = 0;
  try {
    for (let i = 0; i < CASES.length; i++) {
      const c = CASES[i];
      const label = c.log + " " + (c.range === "drag" ? "drag" : c.range.join(":")) +
          (c.letters ? " -d " + c.letters : "");
      try {
        const done = await run_case(browser, page, c, i);
        console.log("ok   " + label.padEnd(34) + done);
      } catch (error) {
        failed++;
        console.log("FAIL " + label + "\n     " + String(error.message).replace(/\n/g, "\n     "));
      }
    }
    // The screenshot of the README: a log open, a part picked on the chart.
    await open_in_page(page, "trip.sl2");
    await check_table(page);
    await drag_on_chart(page, 0.3, 0.6);
    await set_letters(page, "s");
    await read_plan(page);
    await check_group_names(page);
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.screenshot({ path: path.join(out, "page.png"), fullPage: true });
    await check_keyboard(page);
    await check_widths(page);
    await check_cancel(page);
    await check_drop(page);
    console.log("ok   table, group names, keyboard, widths, progress and Cancel, drop");
  } catch (error) {
    failed++;
    console.log("FAIL " + error.stack);
  } finally {
    await session.close();
  }
  if (page_errors.length) {
    failed++;
    console.log("FAIL errors in the page:\n  " + page_errors.join("\n  "));
  }
  if (requests.length) {
    failed++;
    console.log("FAIL network requests:\n  " + requests.join("\n  "));
  } else {
    console.log("ok   no network request from the page or its worker");
  }
  const hosts = [...new Set(background.map((line) => line.split(" ")[2].replace(/^https?:\/\//, "").split(/[/:]/)[0]))];
  console.log("     the browser's own calls, seen by the proxy: " + (hosts.join(", ") || "none"));
  console.log(failed ? failed + " failed" : "all passed");
  process.exit(failed ? 1 : 0);
}

main();
