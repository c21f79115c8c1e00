// Wires the page together: opening a log, showing its summary and chart,
// asking the library what a copy will hold and saving it. Every rule about
// ranges, letters, names and bytes is the library's; this file only asks
// and shows.
"use strict";

const PLAN_DELAY_MS = 250;

const page = {
  file: null,         // the log that is open
  plan_timer: 0,
  plan_wanted: false, // the range or the letters changed while a plan ran
  plan_running: false,
  jobs: 0,
};

const $ = (id) => document.getElementById(id);

// --- Busy state and progress ------------------------------------------------

function job_started(label) {
  page.jobs++;
  document.body.dataset.jobs = String(page.jobs);
  $("progress-label").textContent = label;
  $("progress").value = 0;
  $("progress-text").textContent = "";
  $("busy").hidden = false;
}

function job_ended() {
  page.jobs = Math.max(0, page.jobs - 1);
  document.body.dataset.jobs = String(page.jobs);
  if (page.jobs === 0) $("busy").hidden = true;
}

function show_progress(message) {
  if (message.type !== "progress" || !(message.total > 0)) return;
  $("progress").max = message.total;
  $("progress").value = Math.min(message.done, message.total);
  $("progress-text").textContent =
      format_bytes(message.done) + " of " + format_bytes(message.total);
}

function set_status(text, is_error) {
  $("status").textContent = text;
  $("status").classList.toggle("error", Boolean(is_error));
}

function show_failure(answer) {
  if (answer.type === "cancelled") {
    set_status("Cancelled.", false);
  } else {
    set_status("The page's worker failed: " + answer.error, true);
    cancel_worker();
  }
}

// --- The tool's arguments ----------------------------------------------------

function dropped_letters() {
  return ["drop-p", "drop-d", "drop-s"]
      .filter((id) => $(id).checked).map((id) => $(id).value).join("");
}

// The command line of the copy run, as a user would type it.
function copy_args() {
  const args = ["logtrim", "-c", $("cut-start").value + ":" + $("cut-end").value];
  const letters = dropped_letters();
  if (letters) args.push("-d", letters);
  args.push(page.file.name);
  return args;
}

// The typed range as the chart draws it; only drawing depends on this.
function typed_pick() {
  const start = Number.parseInt($("cut-start").value, 10);
  const end = Number.parseInt($("cut-end").value, 10);
  if (!Number.isFinite(start) || !Number.isFinite(end)) return null;
  return { start: start >>> 0, end: end >>> 0 };
}

// --- Opening a log -----------------------------------------------------------

async function open_log(file) {
  // A new log replaces whatever the worker does for the last one.
  if (page.jobs > 0) cancel_worker();
  page.file = file;
  $("log-name").textContent = file.name;
  $("summary-section").hidden = true;
  $("chart-section").hidden = true;
  $("cut-section").hidden = true;
  $("run-text").hidden = true;
  $("plan").textContent = "";
  document.body.dataset.opened = "";
  set_status("Reading " + file.name + " (" + format_bytes(file.size) + ")...", false);
  job_started("Reading the log");
  const answer = await worker_request({ type: "open", file }, (message) => {
    show_progress(message);
    if (message.type === "summary") show_summary(message);
  });
  job_ended();
  if (page.file !== file) return;
  if (answer.type !== "done") {
    show_failure(answer);
    return;
  }
  show_summary(answer);
  if (answer.status !== 0) {
    set_status("logtrim could not read " + file.name + ": " + answer.text.trim(), true);
    document.body.dataset.opened = "error";
    return;
  }
  if (answer.profile === null) {
    set_status(answer.profile_text.trim(), true);
  } else {
    show_chart(answer.profile);
    set_status(file.name + ": " + format_bytes(file.size) + ".", false);
  }
  $("cut-section").hidden = false;
  document.body.dataset.opened = "yes";
  plan_soon(0);
}

function show_summary(answer) {
  $("summary-text").textContent = answer.text;
  $("summary-text").classList.toggle("error", answer.status !== 0);
  fill_summary_table($("summary-table").tBodies[0], answer.text);
  $("summary-section").hidden = false;
  document.body.dataset.summary = "shown";
}

function show_chart(profile) {
  $("chart-section").hidden = false;
  if (profile.channels.length === 0) {
    $("charts").textContent = "No channel of this log has a depth to draw.";
    return;
  }
  show_profile($("charts"), profile, picked_on_chart);
  set_chart_pick(typed_pick());
}

function picked_on_chart(start, end) {
  $("cut-start").value = String(start);
  $("cut-end").value = String(end);
  set_chart_pick(typed_pick());
  plan_soon(0);
}

// --- The plan: what the copy will hold --------------------------------------

function plan_soon(delay) {
  clearTimeout(page.plan_timer);
  page.plan_wanted = true;
  $("plan").dataset.state = "pending";
  page.plan_timer = setTimeout(run_plan, delay);
}

async function run_plan() {
  if (!page.file || page.plan_running) return;
  page.plan_wanted = false;
  page.plan_running = true;
  const file = page.file;
  job_started("Planning the copy");
  const answer = await worker_request({ type: "plan", file, args: copy_args() }, show_progress);
  job_ended();
  page.plan_running = false;
  if (page.file !== file) return;
  if (page.plan_wanted) {
    run_plan();
    return;
  }
  const plan = $("plan");
  if (answer.type !== "done") {
    plan.textContent = "";
    plan.dataset.state = "none";
    if (answer.type !== "cancelled") show_failure(answer);
    return;
  }
  const refused = answer.status !== 0 || answer.frames === undefined || answer.text !== "";
  plan.classList.toggle("error", refused);
  plan.textContent = refused
      ? answer.text.trim()
      : "The copy will have " + format_count(answer.frames) + " frames, " +
        format_bytes(answer.bytes) + " (" + format_count(answer.bytes) + " bytes).";
  plan.dataset.state = refused ? "refused" : "ready";
  plan.dataset.frames = refused ? "" : String(answer.frames);
  plan.dataset.bytes = refused ? "" : String(answer.bytes);
}

// --- Saving the copy ---------------------------------------------------------

async function save_copy(event) {
  event.preventDefault();
  if (!page.file) return;
  const file = page.file;
  const run = $("run-text");
  run.hidden = true;
  document.body.dataset.saved = "";
  set_status("Writing the copy...", false);
  job_started("Writing the copy");
  const answer = await worker_request({ type: "save", file, args: copy_args() }, show_progress);
  job_ended();
  if (page.file !== file) return;
  if (answer.type !== "done") {
    show_failure(answer);
    document.body.dataset.saved = "failed";
    return;
  }
  run.textContent = answer.text;
  run.classList.toggle("error", answer.status !== 0);
  run.hidden = false;
  if (answer.status !== 0 || !answer.name) {
    const lines = answer.text.trimEnd().split("\n");
    set_status(lines[lines.length - 1], true);
    document.body.dataset.saved = "refused";
    return;
  }
  // How long the library's run took in the worker, for the benchmark.
  document.body.dataset.run_ms = String(answer.run_ms);
  download(answer.blob, answer.name);
  set_status("Saved " + answer.name + " (" + format_bytes(answer.blob.size) + ").", false);
  document.body.dataset.saved = answer.name;
}

function download(blob, name) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  // The download has its own hold on the blob by now.
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// --- Channel group names -----------------------------------------------------

async function show_group_names() {
  const answer = await worker_request({ type: "groups" });
  // A Cancel that came first ends this request too: ask the fresh worker.
  if (answer.type === "cancelled") return show_group_names();
  if (answer.type !== "done") return;
  for (const span of document.querySelectorAll("#groups .names")) {
    const names = answer.groups[span.dataset.group];
    if (names) span.textContent = names.join(", ");
  }
}

// --- Events ------------------------------------------------------------------

function on_range_typed() {
  if (chart_state.charts.length) set_chart_pick(typed_pick());
  plan_soon(PLAN_DELAY_MS);
}

$("file-input").addEventListener("change", (event) => {
  const file = event.target.files[0];
  if (file) open_log(file);
});
$("cancel-button").addEventListener("click", () => {
  cancel_worker();
  page.plan_running = false;
});
$("cut-form").addEventListener("submit", save_copy);
$("cut-start").addEventListener("input", on_range_typed);
$("cut-end").addEventListener("input", on_range_typed);
for (const id of ["drop-p", "drop-d", "drop-s"]) {
  $(id).addEventListener("change", () => plan_soon(0));
}

// A log dropped anywhere on the page opens; the browser must not open the
// file itself instead.
document.addEventListener("dragover", (event) => {
  event.preventDefault();
  document.body.classList.add("dragging");
});
document.addEventListener("dragleave", (event) => {
  if (event.relatedTarget === null) document.body.classList.remove("dragging");
});
document.addEventListener("drop", (event) => {
  event.preventDefault();
  document.body.classList.remove("dragging");
  const file = event.dataTransfer && event.dataTransfer.files[0];
  if (file) open_log(file);
});

start_worker();
show_group_names();
