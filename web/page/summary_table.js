// The summary's figures as a table: one row per channel, read from the very
// text the tool printed, so that the table can never disagree with it.
"use strict";

const CHANNEL_LINE = /^=== (.*): (-?\d+) sounds( - be deleted)?$/;
const DEPTH_LINE = /^Depth: from\s*(\S+) m to\s*(\S+) m; 0 depth count = (-?\d+)$/;
const SPEED_LINE = /^Speed: from\s*(\S+) to\s*(\S+)$/;

// Returns [{name, sounds, dropped, depth_from, depth_to, no_depth,
// speed_from, speed_to}] in the order the tool reported the channels.
function summary_rows(text) {
  const rows = [];
  let row = null;
  for (const line of text.split("\n")) {
    let m = CHANNEL_LINE.exec(line);
    if (m) {
      row = { name: m[1], sounds: m[2], dropped: Boolean(m[3]),
              depth_from: "", depth_to: "", no_depth: "", speed_from: "", speed_to: "" };
      rows.push(row);
      continue;
    }
    if (!row) continue;
    m = DEPTH_LINE.exec(line);
    if (m) {
      [row.depth_from, row.depth_to, row.no_depth] = [m[1], m[2], m[3]];
      continue;
    }
    m = SPEED_LINE.exec(line);
    if (m) [row.speed_from, row.speed_to] = [m[1], m[2]];
  }
  return rows;
}

function fill_summary_table(tbody, text) {
  tbody.replaceChildren();
  for (const row of summary_rows(text)) {
    const tr = document.createElement("tr");
    const name = document.createElement("th");
    name.scope = "row";
    name.textContent = row.name;
    if (row.dropped) {
      const mark = document.createElement("span");
      mark.className = "dropped";
      mark.textContent = "to be dropped";
      name.append(mark);
    }
    tr.append(name);
    for (const value of [row.sounds, row.depth_from, row.depth_to, row.no_depth,
                         row.speed_from, row.speed_to]) {
      const td = document.createElement("td");
      td.textContent = value;
      tr.append(td);
    }
    tbody.append(tr);
  }
}
