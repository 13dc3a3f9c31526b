// The engine's own thread: loads the WebAssembly engine (engine/, made by
// tools/build-web) and passes protocol lines both ways. The page posts one
// command line per message; every line the engine prints comes back as
// { line }. The engine's loop and its decisions run on threads of their own,
// so this worker stays free to pass a YXSTOP along at any time.
'use strict';

const engineDirectory = new URL('engine/', self.location.href);
let started = false;
const waiting = [];

function send(line) {
  self.Module.ccall('quenvikSendLine', null, ['string'], [line]);
}

self.Module = {
  // The engine's threads load the same script: name it for them.
  mainScriptUrlOrBlob: new URL('quenvik-engine.js', engineDirectory).href,
  locateFile: (path) => new URL(path, engineDirectory).href,
  print: (line) => postMessage({ line }),
  printErr: (line) => postMessage({ log: line }),
  onRuntimeInitialized: () => {
    started = true;
    for (const line of waiting.splice(0)) send(line);
  },
  onAbort: (reason) => postMessage({ failed: String(reason) }),
};

self.addEventListener('message', (event) => {
  if (started) send(event.data);
  else waiting.push(event.data);
});

try {
  importScripts(self.Module.mainScriptUrlOrBlob);
} catch (error) {
  postMessage({ failed: `cannot load the engine: ${error.message}` });
}
