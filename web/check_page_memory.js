// Checks that the page's WebAssembly memory cannot grow: its memory is
// declared with a maximum equal to its initial size, the size given, so
// that no log, however large, takes more.
//
//   node check_page_memory.js MODULE.js BYTES
'use strict';
const fs = require('fs');

const [modulePath, bytesText] = process.argv.slice(2);
const expectedPages = Number(bytesText) / 65536;
const source = fs.readFileSync(modulePath, 'utf8');
const inlined = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(source);
if (!inlined) {
  console.log('no inlined WebAssembly in ' + modulePath);
  process.exit(1);
}
const wasm = Buffer.from(inlined[1], 'base64');

function readLeb(state) {
  let value = 0;
  let shift = 0;
  for (;;) {
    const byte = wasm[state.at++];
    value += (byte & 0x7f) * 2 ** shift;
    shift += 7;
    if (byte < 0x80) return value;
  }
}

// The memory section (id 5): a count, then per memory its limits: a flag
// (1 when a maximum follows), the initial and the maximum size in pages.
const state = {at: 8};
let limits = null;
while (state.at < wasm.length) {
  const id = wasm[state.at++];
  const size = readLeb(state);
  const end = state.at + size;
  if (id === 5) {
    readLeb(state);
    const flags = readLeb(state);
    const initial = readLeb(state);
    limits = {initial, maximum: flags & 1 ? readLeb(state) : null};
  }
  state.at = end;
}
if (!limits) {
  console.log('the module declares no memory of its own');
  process.exit(1);
}
const said = 'memory: ' + limits.initial + ' pages, at most ' +
    (limits.maximum === null ? 'unbounded' : limits.maximum);
if (limits.initial !== expectedPages || limits.maximum !== expectedPages) {
  console.log(said + '; expected ' + expectedPages + ' pages, fixed');
  process.exit(1);
}
console.log(said + ' (' + limits.initial * 64 + ' KiB, fixed)');
