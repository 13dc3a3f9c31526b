// The page's side of the engine: a Web Worker that runs the WebAssembly
// engine, spoken to with the protocol lines a game manager sends. Requests
// run one after another (a thinking engine drops every command but YXSTOP);
// each waits for the line that ends it. Lines nobody waits for (MESSAGE,
// UNKNOWN, DEBUG ...) only reach the listeners.

const MOVE_LINE = /^(\d+),(\d+)$/;

export function parseMoveLine(line) {
  const match = MOVE_LINE.exec(line);
  return match ? [Number(match[1]), Number(match[2])] : null;
}

// "FORBID 07080906." -> [[7, 8], [9, 6]]
export function parseForbidLine(line) {
  const digits = line.slice('FORBID '.length).replace(/\.$/, '').trim();
  const points = [];
  for (let i = 0; i + 4 <= digits.length; i += 4) {
    points.push([Number(digits.slice(i, i + 2)), Number(digits.slice(i + 2, i + 4))]);
  }
  return points;
}

export class Engine {
  constructor(workerUrl) {
    this.listeners = new Set();
    this.active = null; // { until, onLine, resolve, decision }
    this.queue = Promise.resolve();
    this.worker = new Worker(workerUrl);
    this.ready = new Promise((resolve, reject) => {
      this.markReady = resolve;
      this.markFailed = reject;
    });
    this.worker.addEventListener('message', (event) => this.receive(event.data));
    this.worker.addEventListener('error', (event) => this.markFailed(new Error(event.message || 'the engine worker failed')));
  }

  receive(message) {
    if (message.failed) {
      this.markFailed(new Error(message.failed));
      for (const listener of this.listeners) listener(`(engine failed: ${message.failed})`, 'failed');
      return;
    }
    if (message.log !== undefined) {
      for (const listener of this.listeners) listener(message.log, 'log');
      return;
    }
    const line = String(message.line).replace(/\r$/, '');
    if (/^MESSAGE Quenvik .* is ready\.$/.test(line)) this.markReady(line);
    for (const listener of this.listeners) listener(line, 'in');
    const active = this.active;
    if (!active) return;
    active.onLine?.(line);
    if (active.until(line)) {
      this.active = null;
      active.resolve(line);
    }
  }

  post(line) {
    for (const listener of this.listeners) listener(line, 'out');
    this.worker.postMessage(line);
  }

  // Queues `lines`; the returned promise gives the line that `until` accepts
  // (or undefined at once when there is no `until`: commands without a reply).
  request(lines, { until = null, onLine = null, decision = false } = {}) {
    const run = () =>
      new Promise((resolve) => {
        if (!until) {
          for (const line of lines) this.post(line);
          resolve(undefined);
          return;
        }
        this.active = { until, onLine, resolve, decision };
        for (const line of lines) this.post(line);
      });
    const result = this.queue.then(run, run);
    this.queue = result.then(
      () => undefined,
      () => undefined,
    );
    return result;
  }

  tell(lines) {
    return this.request(lines);
  }

  // A move decision (BOARD block, YXNBEST ...): resolves with [x, y], or null
  // when the engine answers an ERROR line instead.
  async decide(lines, onLine) {
    const line = await this.request(lines, {
      until: (l) => MOVE_LINE.test(l) || l.startsWith('ERROR'),
      onLine,
      decision: true,
    });
    return parseMoveLine(line);
  }

  // The position's points forbidden to Black (Renju, Black to move).
  async forbidden(blockLines) {
    const line = await this.request(['YXBOARD', ...blockLines, 'DONE', 'YXSHOWFORBID'], {
      until: (l) => l.startsWith('FORBID') || l.startsWith('ERROR'),
    });
    return line.startsWith('FORBID') ? parseForbidLine(line) : [];
  }

  // START n: a new game (the engine empties its position table).
  async start(size) {
    const line = await this.request([`START ${size}`], { until: (l) => l === 'OK' || l.startsWith('ERROR') });
    if (line !== 'OK') throw new Error(`the engine refused START ${size}: ${line}`);
  }

  isThinking() {
    return this.active?.decision === true;
  }

  // Ends the running decision; the engine answers its move at once.
  stop() {
    if (this.isThinking()) this.post('YXSTOP');
  }

  // Resolves when every queued request is done.
  idle() {
    return this.queue;
  }

  addListener(listener) {
    this.listeners.add(listener);
  }
}
