// Compiled synchronously (the wasm is inlined, and a synchronous compile
// reads it without a request), Emscripten 3.1.6's factory returns the
// module itself, with its promise in `ready`. The worker takes the factory
// as later versions give it: a function that returns the promise of the
// module.
var createLogtrimModule = (function (factory) {
  return function (options) {
    return factory(options)['ready'];
  };
})(createLogtrimModule);
