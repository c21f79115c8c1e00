// Mends two ways in which Emscripten 3.1.6's direct use of the host's files
// from Node.js (NODERAWFS) differs from the system the tool expects:
// - it cuts every name in a path to 255 bytes before opening it, so that a
//   copy name too long for the system creates a file of another name; the
//   system refuses such a name, and so does this open;
// - it takes every opened file for seekable, so that a pipe is read at
//   positions (which fails) and "rewound" (which must fail); a pipe or a
//   socket is read in order and refuses a seek, as on the system.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var open = FS.open;
  var llseek = FS.llseek;
  FS.open = function (path, flags, mode, fd) {
    if (typeof path == 'string' &&
        path.split('/').some(function (name) { return Buffer.byteLength(name) > 255; })) {
      throw new FS.ErrnoError(ERRNO_CODES.ENAMETOOLONG);
    }
    var stream = open.apply(this, arguments);
    if (stream.nfd !== undefined && !stream.tty) {
      var st = fs.fstatSync(stream.nfd);
      stream.seekable = !(st.isFIFO() || st.isSocket());
    }
    return stream;
  };
  FS.llseek = function (stream, offset, whence) {
    if (!stream.seekable) throw new FS.ErrnoError(ERRNO_CODES.ESPIPE);
    return llseek.apply(this, arguments);
  };
});
