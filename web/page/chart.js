// Draws the profile: for each channel with depth, one chart of depth in
// metres (the band from the shallowest to the deepest reading of each
// bucket, deeper lower down) and of speed as recorded, against the frame
// index; stretches where the boat stood still are shaded, frames without
// depth marked in red. A drag across any chart picks a range of frames.
"use strict";

const CHART_MARGIN = { left: 58, right: 58, top: 10, bottom: 38 };
const CHART_COLOURS = {
  depth: "rgba(11, 92, 173, 0.85)",
  speed: "rgba(230, 120, 20, 0.9)",
  still: "rgba(120, 120, 120, 0.18)",
  missing: "#d62728",
  missing_band: "rgba(214, 39, 40, 0.15)",
  axis: "#57606a",
  grid: "rgba(0, 0, 0, 0.07)",
  pick: "rgba(11, 92, 173, 0.14)",
  pick_edge: "rgba(11, 92, 173, 0.9)",
};

// The charts on the page and what they share: one frame axis, one picked
// range, one callback for a finished drag.
const chart_state = {
  charts: [],     // {channel, name, canvas, buckets, depth_max, speed_min, speed_max}
  frame_min: 0,
  frame_max: 1,
  pick: null,     // {start, end} in frame indices, as drawn
  on_pick: null,  // called with (start, end) when a drag ends
  drag: null,     // {chart, from, to} while a drag goes on
};

// Round numbers for the ticks of an axis from lo to hi: about `count` steps
// of 1, 2 or 5 times a power of ten.
function nice_ticks(lo, hi, count) {
  if (!(hi > lo)) return [lo];
  const raw = (hi - lo) / count;
  const power = Math.pow(10, Math.floor(Math.log10(raw)));
  const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw);
  const ticks = [];
  for (let t = Math.ceil(lo / step) * step; t <= hi + step * 1e-9; t += step) {
    ticks.push(Math.abs(t) < step * 1e-9 ? 0 : t);
  }
  return ticks;
}

function nice_top(value) {
  if (!(value > 0)) return 1;
  const ticks = nice_ticks(0, value, 4);
  const step = ticks.length > 1 ? ticks[1] - ticks[0] : value;
  return Math.ceil(value / step - 1e-9) * step;
}

function tick_label(value) {
  return Math.abs(value) >= 1e6 ? value.toExponential(1) : String(Math.round(value * 100) / 100);
}

// The profile of one channel as the worker sends it: arrays per field, one
// entry per bucket, in the order of the file.
function channel_ranges(channel) {
  const b = channel.buckets;
  let depth_max = 0;
  let speed_min = 0;
  let speed_max = 0;
  let frame_min = Infinity;
  let frame_max = -Infinity;
  for (let i = 0; i < b.first.length; i++) {
    if (b.max_depth[i] > depth_max) depth_max = b.max_depth[i];
    if (b.max_speed[i] > speed_max) speed_max = b.max_speed[i];
    if (b.min_speed[i] < speed_min) speed_min = b.min_speed[i];
    frame_min = Math.min(frame_min, b.first[i], b.last[i]);
    frame_max = Math.max(frame_max, b.first[i], b.last[i]);
  }
  return { depth_max: nice_top(depth_max), speed_min: speed_min < 0 ? -nice_top(-speed_min) : 0,
           speed_max: nice_top(speed_max), frame_min, frame_max };
}

// Replaces the charts in `container` by one per channel of `profile`.
function show_profile(container, profile, on_pick) {
  container.replaceChildren();
  chart_state.charts = [];
  chart_state.on_pick = on_pick;
  chart_state.frame_min = Infinity;
  chart_state.frame_max = -Infinity;
  for (const channel of profile.channels) {
    const ranges = channel_ranges(channel);
    chart_state.frame_min = Math.min(chart_state.frame_min, ranges.frame_min);
    chart_state.frame_max = Math.max(chart_state.frame_max, ranges.frame_max);

    const figure = document.createElement("figure");
    figure.className = "chart";
    const title = document.createElement("h3");
    title.textContent = channel.name;
    const canvas = document.createElement("canvas");
    canvas.setAttribute("role", "img");
    canvas.setAttribute("aria-label", "Depth in metres and speed against frame index, " +
        channel.name + ", frames " + format_count(ranges.frame_min) + " to " +
        format_count(ranges.frame_max) + ". Drag across it to pick frames.");
    canvas.dataset.channel = String(channel.channel);
    figure.append(title, canvas);
    container.append(figure);
    const chart = { channel: channel.channel, name: channel.name, canvas,
                    buckets: channel.buckets, ...ranges };
    chart_state.charts.push(chart);
    attach_drag(chart);
  }
  if (!(chart_state.frame_max > chart_state.frame_min)) {
    chart_state.frame_max = chart_state.frame_min + 1;
  }
  redraw_charts();
}

function set_chart_pick(pick) {
  chart_state.pick = pick;
  redraw_charts();
}

function redraw_charts() {
  for (const chart of chart_state.charts) draw_chart(chart);
}

function plot_area(chart) {
  const width = chart.canvas.clientWidth;
  const height = chart.canvas.clientHeight;
  return { x: CHART_MARGIN.left, y: CHART_MARGIN.top,
           w: Math.max(10, width - CHART_MARGIN.left - CHART_MARGIN.right),
           h: Math.max(10, height - CHART_MARGIN.top - CHART_MARGIN.bottom), width, height };
}

function frame_to_x(area, frame) {
  const span = chart_state.frame_max - chart_state.frame_min;
  return area.x + ((frame - chart_state.frame_min) / span) * area.w;
}

function x_to_frame(area, x) {
  const span = chart_state.frame_max - chart_state.frame_min;
  const t = Math.min(1, Math.max(0, (x - area.x) / area.w));
  return chart_state.frame_min + t * span;
}

function draw_chart(chart) {
  const canvas = chart.canvas;
  const area = plot_area(chart);
  const ratio = window.devicePixelRatio || 1;
  canvas.width = Math.round(area.width * ratio);
  canvas.height = Math.round(area.height * ratio);
  const g = canvas.getContext("2d");
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  g.clearRect(0, 0, area.width, area.height);

  const depth_y = (d) => area.y + (d / chart.depth_max) * area.h;
  const speed_y = (s) => area.y + area.h -
      ((s - chart.speed_min) / (chart.speed_max - chart.speed_min)) * area.h;
  const b = chart.buckets;
  const span_of = (i) => {
    const x0 = frame_to_x(area, Math.min(b.first[i], b.last[i]));
    const x1 = frame_to_x(area, Math.max(b.first[i], b.last[i]) + 1);
    return [x0, Math.max(1, x1 - x0)];
  };

  // Still water and lost bottom first, behind the readings.
  for (let i = 0; i < b.first.length; i++) {
    const [x, w] = span_of(i);
    if (b.max_speed[i] <= 0) {
      g.fillStyle = CHART_COLOURS.still;
      g.fillRect(x, area.y, w, area.h);
    }
    if (Number.isNaN(b.min_depth[i])) {
      g.fillStyle = CHART_COLOURS.missing_band;
      g.fillRect(x, area.y, w, area.h);
    }
    if (b.missing[i] > 0) {
      g.fillStyle = CHART_COLOURS.missing;
      const share = b.missing[i] / Math.max(1, b.count[i]);
      g.fillRect(x, area.y + area.h - 4 - 8 * share, w, 4 + 8 * share);
    }
  }

  // Grid and axes.
  g.strokeStyle = CHART_COLOURS.grid;
  g.lineWidth = 1;
  g.font = "12px system-ui, sans-serif";
  g.fillStyle = CHART_COLOURS.axis;
  g.textBaseline = "middle";
  g.textAlign = "right";
  for (const d of nice_ticks(0, chart.depth_max, 4)) {
    const y = Math.round(depth_y(d)) + 0.5;
    g.beginPath(); g.moveTo(area.x, y); g.lineTo(area.x + area.w, y); g.stroke();
    g.fillText(tick_label(d), area.x - 6, y);
  }
  g.textAlign = "left";
  g.fillStyle = CHART_COLOURS.speed;
  for (const s of nice_ticks(chart.speed_min, chart.speed_max, 4)) {
    g.fillText(tick_label(s), area.x + area.w + 6, speed_y(s));
  }
  g.fillStyle = CHART_COLOURS.axis;
  g.textAlign = "center";
  g.textBaseline = "top";
  for (const f of nice_ticks(chart_state.frame_min, chart_state.frame_max, 6)) {
    if (f !== Math.round(f)) continue;
    const x = Math.round(frame_to_x(area, f)) + 0.5;
    g.beginPath(); g.moveTo(x, area.y + area.h); g.lineTo(x, area.y + area.h + 4); g.stroke();
    g.fillText(tick_label(f), x, area.y + area.h + 6);
  }
  g.fillText("Frame index", area.x + area.w / 2, area.y + area.h + 21);
  g.save();
  g.translate(12, area.y + area.h / 2);
  g.rotate(-Math.PI / 2);
  g.fillStyle = CHART_COLOURS.depth;
  g.fillText("Depth (m)", 0, -6);
  g.restore();
  g.save();
  g.translate(area.width - 12, area.y + area.h / 2);
  g.rotate(Math.PI / 2);
  g.fillStyle = CHART_COLOURS.speed;
  g.fillText("Speed (as recorded)", 0, -6);
  g.restore();
  g.strokeStyle = CHART_COLOURS.axis;
  g.strokeRect(area.x + 0.5, area.y + 0.5, area.w, area.h);

  // Depth band, then speed band over it.
  g.fillStyle = CHART_COLOURS.depth;
  for (let i = 0; i < b.first.length; i++) {
    if (Number.isNaN(b.min_depth[i])) continue;
    const [x, w] = span_of(i);
    const top = depth_y(b.min_depth[i]);
    g.fillRect(x, top, w, Math.max(1.5, depth_y(b.max_depth[i]) - top));
  }
  g.fillStyle = CHART_COLOURS.speed;
  for (let i = 0; i < b.first.length; i++) {
    if (Number.isNaN(b.min_speed[i])) continue;
    const [x, w] = span_of(i);
    const top = speed_y(b.max_speed[i]);
    g.fillRect(x, top, w, Math.max(1.5, speed_y(b.min_speed[i]) - top));
  }

  // The picked range, or the range being dragged.
  const pick = chart_state.drag
      ? { start: Math.min(chart_state.drag.from, chart_state.drag.to),
          end: Math.max(chart_state.drag.from, chart_state.drag.to) }
      : chart_state.pick;
  if (pick) {
    const x0 = frame_to_x(area, Math.max(chart_state.frame_min, pick.start));
    const x1 = frame_to_x(area, Math.min(chart_state.frame_max, pick.end));
    if (x1 >= x0) {
      g.fillStyle = CHART_COLOURS.pick;
      g.fillRect(x0, area.y, Math.max(1, x1 - x0), area.h);
      g.strokeStyle = CHART_COLOURS.pick_edge;
      g.beginPath();
      g.moveTo(x0, area.y); g.lineTo(x0, area.y + area.h);
      g.moveTo(x1, area.y); g.lineTo(x1, area.y + area.h);
      g.stroke();
    }
  }
}

function attach_drag(chart) {
  const canvas = chart.canvas;
  const frame_at = (event) => {
    const rect = canvas.getBoundingClientRect();
    return x_to_frame(plot_area(chart), event.clientX - rect.left);
  };
  canvas.addEventListener("pointerdown", (event) => {
    if (event.button !== 0) return;
    canvas.setPointerCapture(event.pointerId);
    const frame = frame_at(event);
    chart_state.drag = { chart, from: frame, to: frame };
    redraw_charts();
  });
  canvas.addEventListener("pointermove", (event) => {
    if (!chart_state.drag || chart_state.drag.chart !== chart) return;
    chart_state.drag.to = frame_at(event);
    redraw_charts();
  });
  const finish = (event) => {
    const drag = chart_state.drag;
    if (!drag || drag.chart !== chart) return;
    drag.to = frame_at(event);
    chart_state.drag = null;
    const start = Math.floor(Math.min(drag.from, drag.to));
    const end = Math.ceil(Math.max(drag.from, drag.to));
    redraw_charts();
    if (end > start && chart_state.on_pick) chart_state.on_pick(start, end);
  };
  canvas.addEventListener("pointerup", finish);
  canvas.addEventListener("pointercancel", () => {
    chart_state.drag = null;
    redraw_charts();
  });
}

window.addEventListener("resize", () => redraw_charts());
