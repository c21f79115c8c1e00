// Numbers as the page shows them to a person: sizes in bytes and counts.
"use strict";

function format_bytes(bytes) {
  const units = ["bytes", "KiB", "MiB", "GiB", "TiB"];
  let value = bytes;
  let unit = 0;
  while (value >= 1024 && unit < units.length - 1) {
    value /= 1024;
    unit++;
  }
  const shown = unit === 0 ? String(value) : value.toFixed(1);
  return shown + " " + units[unit];
}

function format_count(count) {
  return Number(count).toLocaleString("en-US");
}
