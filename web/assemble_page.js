// Assembles the one self-contained page: the styles and scripts that
// index.html names are inlined, and the worker's scripts, after the
// WebAssembly module, become one string that the page starts as a worker
// from a Blob. The page then needs nothing beside itself, not even a server.
//
//   node assemble_page.js PAGE/index.html MODULE.js OUT.html
//
// In index.html:
//   <link rel="stylesheet" href="NAME.css">      the file inlined in <style>
//   <script src="NAME.js"></script>             the file inlined in <script>
//   <script type="text/x-logtrim-worker" src="NAME.js"></script>
//        a worker script; the first such tag becomes
//        <script>var LOGTRIM_WORKER_SOURCE = "...";</script>
'use strict';
const fs = require('fs');
const path = require('path');

const [indexPath, modulePath, outPath] = process.argv.slice(2);
if (!outPath) {
  console.log('Usage: node assemble_page.js PAGE/index.html MODULE.js OUT.html');
  process.exit(2);
}
const pageDir = path.dirname(indexPath);
const read = (name) => fs.readFileSync(path.join(pageDir, name), 'utf8');

// Text inside <script> or <style> must not close its element early.
const inlineText = (text, tag) => text.replace(new RegExp('</' + tag, 'gi'), '<\\/' + tag);

const workerTag = /<script\s+type="text\/x-logtrim-worker"\s+src="([^"]+)"\s*><\/script>/g;
const scriptTag = /<script\s+src="([^"]+)"\s*><\/script>/g;
const styleTag = /<link\s+rel="stylesheet"\s+href="([^"]+)"\s*\/?>/g;

let html = fs.readFileSync(indexPath, 'utf8');

const workerParts = [fs.readFileSync(modulePath, 'utf8')];
let workerPlaced = false;
html = html.replace(workerTag, (tag, name) => {
  workerParts.push(read(name));
  if (workerPlaced) return '';
  workerPlaced = true;
  return '\u0000WORKER\u0000';
});
if (!workerPlaced) {
  console.log('assemble_page: index.html names no worker script');
  process.exit(1);
}
// A JSON string is a JavaScript string literal; with "<" escaped it cannot
// end the script element either.
const workerSource = JSON.stringify(workerParts.join('\n;\n')).replace(/</g, '\\u003c');

html = html.replace(styleTag, (tag, name) => '<style>\n' + inlineText(read(name), 'style') + '</style>');
html = html.replace(scriptTag, (tag, name) => '<script>\n' + inlineText(read(name), 'script') + '</script>');
// Placed last, so that no rule above reads inside the module's text.
html = html.replace('\u0000WORKER\u0000',
  () => '<script>var LOGTRIM_WORKER_SOURCE = ' + workerSource + ';</script>');

fs.writeFileSync(outPath, html);
