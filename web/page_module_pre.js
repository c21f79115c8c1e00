// Runs inside the module's factory, before the module is made. When the
// worker hands a `suspendingRead` and the browser can suspend WebAssembly
// (JavaScript Promise Integration), the module's read of a file descriptor
// is wrapped with it: the wrapper may return a promise, which suspends the
// library in the middle of its run until the promise settles, so that the
// worker's event loop turns meanwhile. The module is then compiled and
// instantiated synchronously from the inlined binary, as without the hook.
if (Module['suspendingRead'] && typeof WebAssembly.Suspending == 'function' &&
    typeof WebAssembly.promising == 'function') {
  Module['instantiateWasm'] = function (info, receiveInstance) {
    var imports = info['a'];
    for (var name in imports) {
      if (imports[name] === _fd_read) {
        imports[name] = new WebAssembly.Suspending(Module['suspendingRead'](_fd_read));
      }
    }
    var instance = new WebAssembly.Instance(new WebAssembly.Module(getBinary(wasmBinaryFile)), info);
    receiveInstance(instance);
    Module['suspendable'] = true;
    return instance.exports;
  };
}
