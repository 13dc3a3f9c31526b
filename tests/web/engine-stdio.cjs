// The board page's engine (web/engine/quenvik-engine.js, from tools/build-web)
// as a console process under node, reading protocol lines on standard input
// and answering on standard output, so the protocol suite can drive exactly
// what the page runs:
//   QUENVIK_ENGINE_COMMAND="node --no-experimental-fetch tests/web/engine-stdio.cjs" ctest --test-dir build -L protocol
// Lines are handed over as the page's worker hands them; the end of input
// ends the loop as it does for the native engine.
'use strict';

const path = require('node:path');
const readline = require('node:readline');

const engineScript = path.join(__dirname, '..', '..', 'web', 'engine', 'quenvik-engine.js');
const waiting = [];
let inputEnded = false;

// The engine's lines go to standard output through console.log, the
// runtime's own printer under node.
const engine = require(engineScript);

function started() {
  return engine.calledRun === true;
}

function hand(line) {
  engine.ccall('quenvikSendLine', null, ['string'], [line]);
}

function endInput() {
  engine.ccall('quenvikEndInput', null, [], []);
}

// The runtime starts once its WebAssembly is compiled, after require returns.
engine.onRuntimeInitialized = () => {
  for (const line of waiting.splice(0)) hand(line);
  if (inputEnded) endInput();
};

const input = readline.createInterface({ input: process.stdin, crlfDelay: Infinity });
input.on('line', (line) => (started() ? hand(line) : waiting.push(line)));
input.on('close', () => {
  inputEnded = true;
  if (started()) endInput();
});
