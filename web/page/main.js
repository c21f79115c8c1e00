// Runs the tool on the chosen log in the worker and shows what it printed.
'use strict';
const worker = new Worker(URL.createObjectURL(
  new Blob([LOGTRIM_WORKER_SOURCE], {type: 'text/javascript'})));
const summary = document.getElementById('summary');
worker.onmessage = (e) => {
  summary.textContent = e.data.out;
  summary.dataset.status = String(e.data.status);
  summary.dataset.copyName = e.data.copyName;
  summary.dataset.copySize = e.data.copy ? String(e.data.copy.size) : '';
  if (e.data.copy) window.lastCopy = e.data.copy;
};
document.getElementById('log').addEventListener('change', (e) => {
  const file = e.target.files[0];
  const options = document.getElementById('args').value.split(' ').filter((a) => a);
  if (file) worker.postMessage({file, args: options.concat([file.name])});
});
