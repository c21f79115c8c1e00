// Runs page_main on the log the page sends, with the log at /log and the
// copy collected from the copy device.
'use strict';
let lines = [];
let parts = [];
const ready = createLogtrimModule({print: (line) => lines.push(line)}).then((module) => {
  const FS = module.FS;
  FS.mkdir('/log');
  const device = FS.makedev(64, 0);
  FS.registerDevice(device, {
    open() {}, close() {},
    write(stream, buffer, offset, length) {
      parts.push(buffer.slice(offset, offset + length));
      return length;
    },
  });
  FS.mkdev('/dev/logtrim-copy', device);
  return module;
});

onmessage = async (e) => {
  const module = await ready;
  const FS = module.FS;
  lines = [];
  parts = [];
  FS.mount(module.WORKERFS, {files: [e.data.file]}, '/log');
  FS.chdir('/log');
  const argv = ['logtrim'].concat(e.data.args);
  const pointers = argv.map((a) => {
    const size = module.lengthBytesUTF8(a) + 1;
    const p = module._malloc(size);
    module.stringToUTF8(a, p, size);
    return p;
  });
  const array = module._malloc(4 * pointers.length);
  pointers.forEach((p, i) => module.HEAP32 ? (module.HEAP32[(array >> 2) + i] = p) : module.setValue(array + 4 * i, p, 'i32'));
  const status = module.ccall('page_main', 'number', ['number', 'number'], [argv.length, array]);
  pointers.forEach((p) => module._free(p));
  module._free(array);
  FS.chdir('/');
  FS.unmount('/log');
  const copyName = module.ccall('page_copy_name', 'string', [], []);
  const out = lines.length ? lines.join('\n') + '\n' : '';
  postMessage({out, status, copyName, copy: copyName ? new Blob(parts) : null});
};
