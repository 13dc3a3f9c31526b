// The board page: a game against the engine, its analysis, and the record.
// The engine runs in a Web Worker (engine.js) and is told every position as
// a whole (BOARD / YXBOARD blocks), so undo, imports and links need nothing
// but the page's own record of the game.

import { BoardView } from './board.js';
import { Engine } from './engine.js';
import {
  BLACK, WHITE, DEFAULT_SIZE, MAX_SIZE, MIN_SIZE, RULES, Game, cellName, colourName, decodeLink, encodeLink,
  gameFrom, movesToPos, parseGameText, toSgf,
} from './game.js';

// What a phone can give the engine: the position table is capped to fit this
// (INFO max_memory), which leaves it 32 MiB of the 256 MiB it takes natively.
const ENGINE_MEMORY_BYTES = 64 * 1024 * 1024;

const $ = (id) => document.getElementById(id);

const state = {
  game: new Game(),
  side: 'black', // the person's side: black, white or both
  engineGame: null, // "size/rule" the engine has started
  forbidden: [],
  hint: null,
  analysis: [], // the analysed lines of the shown position, best first
  analysisKey: null,
  live: null, // the engine's running decision: { best, depth, eval, winrate }
  preview: null,
  task: null, // 'move', 'hint' or 'analyse' while the engine thinks
  generation: 0, // rises with every change; answers for an older one are dropped
  engineFailed: null,
};

let engine = null;
let view = null;

// ---------------------------------------------------------------------------
// Reading the engine's analysis output
// ---------------------------------------------------------------------------

// Collects INFO PV ... INFO PV DONE blocks; feed() returns a finished block.
class AnalysisReader {
  constructor() {
    this.block = null;
  }

  feed(line) {
    if (!line.startsWith('INFO ')) return null;
    const [, key, ...rest] = line.split(' ');
    const value = rest.join(' ');
    if (key === 'PV' && value === 'DONE') {
      const block = this.block;
      this.block = null;
      return block;
    }
    if (key === 'PV') this.block = { pv: Number(value) };
    if (!this.block) return null;
    if (key === 'NUMPV') this.block.count = Number(value);
    if (key === 'DEPTH') this.block.depth = Number(value);
    if (key === 'EVAL') this.block.eval = value;
    if (key === 'WINRATE') this.block.winrate = Number(value);
    if (key === 'BESTLINE') {
      this.block.line = value.split(' ').filter(Boolean).map((pair) => pair.split(',').map(Number));
      this.block.move = this.block.line[0] ?? null;
    }
    return null;
  }
}

function formatEval(evalText) {
  if (evalText === undefined) return '';
  if (/^[+-]M\d+$/.test(evalText)) return evalText[0] === '+' ? `win in ${evalText.slice(2)}` : `loss in ${evalText.slice(2)}`;
  const value = Number(evalText);
  return value > 0 ? `+${value}` : String(value);
}

function percent(winrate) {
  return `${Math.round(winrate * 100)}%`;
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

function engineColour() {
  if (state.side === 'black') return WHITE;
  if (state.side === 'white') return BLACK;
  return 0;
}

function isEngineTurn() {
  return engineColour() === state.game.toMove() && !state.game.result();
}

function moveName(move) {
  return move ? cellName(move[0], move[1]) : '';
}

function statusText() {
  const game = state.game;
  if (state.engineFailed) return { text: `The engine could not start: ${state.engineFailed}`, kind: 'error' };
  const result = game.result();
  if (result) {
    if (result.winner === 0) return { text: 'Draw — the board is full', kind: 'over' };
    const who = colourName(result.winner);
    const cells = [...result.cells].sort((a, b) => a[0] - b[0] || a[1] - b[1]);
    const span = `${moveName(cells[0])}–${moveName(cells[cells.length - 1])}`;
    let text = `${who} wins — five on ${span}`;
    if (engineColour() === result.winner) text = `Quenvik wins (${who}) — five on ${span}`;
    else if (engineColour() !== 0) text = `You win (${who}) — five on ${span}`;
    return { text, kind: 'over' };
  }
  const toMove = colourName(game.toMove());
  if (state.task === 'move') return { text: `Quenvik is thinking… (${toMove})`, kind: 'thinking' };
  if (state.task === 'hint') return { text: `Looking for a hint for ${toMove}…`, kind: 'thinking' };
  if (state.task === 'analyse') return { text: `Analysing — ${toMove} to move…`, kind: 'thinking' };
  if (!engine || state.engineGame === null) return { text: 'Loading the engine…', kind: 'thinking' };
  if (engineColour() === 0) return { text: `${toMove} to move`, kind: 'turn' };
  return { text: `Your move — you play ${toMove}`, kind: 'turn' };
}

function liveText() {
  const live = state.live;
  if (!live) return '';
  const parts = [];
  if (live.lines > 1) parts.push(`line ${live.line} of ${live.lines}`);
  if (live.depth) parts.push(`depth ${live.depth}`);
  if (live.eval !== undefined) parts.push(`eval ${formatEval(live.eval)}`);
  if (live.winrate !== undefined) parts.push(`${percent(live.winrate)} for ${colourName(state.game.toMove())}`);
  if (live.best) parts.push(`best ${moveName(live.best)}`);
  return parts.join(' · ');
}

let renderQueued = false;
function render() {
  if (renderQueued) return;
  renderQueued = true;
  requestAnimationFrame(() => {
    renderQueued = false;
    renderNow();
  });
}

function renderNow() {
  const game = state.game;
  const result = game.result();
  const analysisShown = state.analysisKey === positionKey() ? state.analysis : [];
  view.render({
    game,
    result,
    forbidden: result ? [] : state.forbidden,
    hint: state.hint,
    analysis: analysisShown.map((line) => ({ move: line.move, label: line.label })),
    liveBest: state.task ? state.live?.best : null,
    preview: canPlayNow() ? state.preview : null,
    showNumbers: $('numbers').checked,
    accepting: canPlayNow(),
  });

  const status = statusText();
  const statusBox = $('status');
  statusBox.className = `status ${status.kind}`;
  statusBox.replaceChildren();
  const main = document.createElement('span');
  main.textContent = status.text;
  statusBox.appendChild(main);
  const live = state.task ? liveText() : '';
  if (live) {
    const detail = document.createElement('span');
    detail.className = 'live';
    detail.textContent = live;
    statusBox.appendChild(detail);
  }
  statusBox.dataset.state = result ? 'over' : state.task ?? 'idle';

  const last = game.lastMove();
  $('move-count').textContent = game.moves.length
    ? `Move ${game.moves.length}: ${colourName(game.stoneAt(last[0], last[1]))} ${moveName(last)}`
    : 'No moves yet';

  const busy = state.task !== null;
  $('stop').disabled = !busy;
  $('hint').disabled = busy || Boolean(result) || !state.engineGame;
  $('analyse').disabled = busy || Boolean(result) || !state.engineGame;
  $('undo').disabled = game.moves.length === 0;
  $('rule-blurb').textContent = `${RULES[game.rule].name}: ${RULES[game.rule].blurb}.`;

  const body = $('analysis-table').querySelector('tbody');
  body.replaceChildren();
  analysisShown.forEach((line, rank) => {
    const row = document.createElement('tr');
    row.dataset.move = moveName(line.move);
    const cells = [String(rank + 1), moveName(line.move), formatEval(line.eval), percent(line.winrate), String(line.depth),
      line.line.slice(0, 8).map(moveName).join(' ')];
    for (const text of cells) {
      const cell = document.createElement('td');
      cell.textContent = text;
      row.appendChild(cell);
    }
    row.addEventListener('mouseenter', () => {
      state.preview = line.move;
      render();
    });
    body.appendChild(row);
  });
  $('analysis-table').hidden = analysisShown.length === 0;
  if (state.task !== 'analyse') {
    const lines = analysisShown.length;
    $('analysis-state').textContent = lines
      ? `${lines} best ${lines === 1 ? 'move' : 'moves'} for ${colourName(game.toMove())}; win rates are ${colourName(game.toMove())}'s.`
      : "The engine's best moves for the side to move, with evaluation and win rate.";
  } else {
    $('analysis-state').textContent = `Analysing ${$('lines').value} ${$('lines').value === '1' ? 'move' : 'moves'}… (Stop ends it)`;
  }
}

function notice(text) {
  $('notice').textContent = text;
  clearTimeout(notice.timer);
  if (text) notice.timer = setTimeout(() => ($('notice').textContent = ''), 6000);
}

// ---------------------------------------------------------------------------
// The address and the record box
// ---------------------------------------------------------------------------

function linkEngine() {
  return { black: 'white', white: 'black', both: 'none' }[state.side];
}

function positionKey() {
  return `${state.game.size}/${state.game.rule}/${movesToPos(state.game.moves)}`;
}

function updateAddress() {
  const link = encodeLink({ size: state.game.size, rule: state.game.rule, engine: linkEngine(), moves: state.game.moves });
  if (location.hash !== link) history.replaceState(null, '', link);
  const record = $('record');
  if (document.activeElement !== record) record.value = movesToPos(state.game.moves);
}

function syncControls() {
  $('side').value = state.side;
  $('rule').value = state.game.rule;
  $('size').value = String(state.game.size);
}

// ---------------------------------------------------------------------------
// Talking to the engine
// ---------------------------------------------------------------------------

async function ensureEngineGame({ fresh = false } = {}) {
  const key = `${state.game.size}/${state.game.rule}`;
  if (!fresh && state.engineGame === key) return;
  await engine.start(state.game.size);
  await engine.tell([`INFO rule ${RULES[state.game.rule].code}`]);
  state.engineGame = key;
}

// Stops whatever the engine does and waits until it is idle again; answers
// still on their way belong to an older generation and are dropped.
async function interrupt() {
  state.generation += 1;
  state.hint = null;
  if (engine) {
    engine.stop();
    await engine.idle();
  }
  state.task = null;
  state.live = null;
}

function thinkingLines(timeMs) {
  return [`INFO timeout_turn ${timeMs}`, 'INFO show_detail 1'];
}

function liveListener(generation, onBlock) {
  const reader = new AnalysisReader();
  return (line) => {
    if (generation !== state.generation) return;
    const best = /^MESSAGE REALTIME BEST (\d+),(\d+)$/.exec(line);
    if (best) {
      state.live = { ...state.live, best: [Number(best[1]), Number(best[2])] };
      render();
      return;
    }
    const block = reader.feed(line);
    if (block) {
      onBlock?.(block);
      // A one-line decision's progress; an N-best analysis lists its lines instead.
      if (block.pv === 0 && block.count === 1) {
        state.live = { ...state.live, depth: block.depth, eval: block.eval, winrate: block.winrate };
      }
      render();
    }
  };
}

async function refreshForbidden(generation) {
  state.forbidden = [];
  if (state.game.rule !== 'renju' || state.game.toMove() !== BLACK || state.game.result()) return;
  const points = await engine.forbidden(state.game.blockLines());
  if (generation === state.generation) state.forbidden = points;
}

function isForbidden(x, y) {
  return state.forbidden.some(([fx, fy]) => fx === x && fy === y);
}

// The engine's move for the side to move on the page's board, at the page's
// time per move, shown live while it thinks as `task`. `stale` says the page
// moved on meanwhile (a new game, an undo), so the answer is for nothing.
async function decideOnBoard(task, generation) {
  state.task = task;
  state.live = {};
  render();
  const move = await engine.decide(
    [...thinkingLines(Number($('time').value)), 'BOARD', ...state.game.blockLines(), 'DONE'],
    liveListener(generation),
  );
  if (generation !== state.generation) return { stale: true };
  state.task = null;
  state.live = null;
  return { move };
}

async function engineMove(generation) {
  const { stale, move } = await decideOnBoard('move', generation);
  if (stale) return;
  if (!move) {
    notice('The engine found no move.');
    render();
    return;
  }
  if (!state.game.isEmpty(move[0], move[1]) || isForbidden(move[0], move[1])) {
    notice(`The engine answered ${move.join(',')}, which is not a legal move here.`);
    render();
    return;
  }
  state.game.play(move[0], move[1]);
  await settle();
}

async function analyse(generation) {
  const lines = Number($('lines').value);
  const key = positionKey();
  state.task = 'analyse';
  state.live = {};
  state.analysis = [];
  state.analysisKey = key;
  render();
  const found = new Map();
  const onBlock = (block) => {
    if (!block.move) return;
    found.set(block.pv, { ...block, label: percent(block.winrate) });
    state.analysis = [...found.keys()].sort((a, b) => a - b).map((pv) => found.get(pv));
    state.live = { ...state.live, line: Math.min(found.size + 1, lines), lines };
  };
  state.live = { line: 1, lines };
  await engine.decide(
    [...thinkingLines(Number($('analysis-time').value)), 'YXBOARD', ...state.game.blockLines(), 'DONE', `YXNBEST ${lines}`],
    liveListener(generation, onBlock),
  );
  if (generation !== state.generation) return;
  state.task = null;
  state.live = null;
  render();
}

// After every change of the position: show it, then let the engine move or
// analyse when that is what comes next.
async function settle() {
  const generation = state.generation;
  state.hint = null;
  updateAddress();
  render();
  if (!engine || state.engineFailed) return;
  await engine.ready;
  await ensureEngineGame();
  await refreshForbidden(generation);
  if (generation !== state.generation) return;
  render();
  if (state.game.result()) return;
  if (isEngineTurn()) await engineMove(generation);
  else if ($('auto-analyse').checked) await analyse(generation);
}

// ---------------------------------------------------------------------------
// What the person does
// ---------------------------------------------------------------------------

function canPlayNow() {
  const game = state.game;
  if (game.result() || !state.engineGame) return false;
  if (state.task === 'move') return false;
  return !isEngineTurn();
}

async function playPoint(x, y) {
  const game = state.game;
  if (game.result()) {
    notice('The game is over: start a new game or undo.');
    return;
  }
  if (state.task === 'move') {
    notice('Quenvik is thinking — press Stop to make it move now.');
    return;
  }
  if (!state.engineGame) return;
  if (!game.isEmpty(x, y)) {
    notice(`${cellName(x, y)} is taken.`);
    return;
  }
  if (isForbidden(x, y)) {
    notice(`${cellName(x, y)} is forbidden to Black under Renju.`);
    return;
  }
  await interrupt();
  game.play(x, y);
  notice('');
  await settle();
}

async function newGame() {
  await interrupt();
  const size = Number($('size').value);
  state.game = new Game(size, $('rule').value);
  state.side = $('side').value;
  state.analysis = [];
  notice('');
  await ensureEngineGame({ fresh: true });
  await settle();
}

async function undo() {
  await interrupt();
  const game = state.game;
  if (game.moves.length === 0) return;
  game.undo();
  // Against the engine, back to the person's own turn.
  if (engineColour() !== 0) {
    while (game.moves.length > 0 && isEngineTurn()) game.undo();
  }
  await settle();
}

async function hint() {
  await interrupt();
  const { stale, move } = await decideOnBoard('hint', state.generation);
  if (stale) return;
  state.hint = move;
  if (move) notice(`Hint: ${moveName(move)}`);
  render();
}

async function setPosition(size, rule, moves) {
  const game = gameFrom(size, rule, moves); // throws on an impossible record
  await interrupt();
  state.game = game;
  state.analysis = [];
  // A loaded game is for looking at: the engine moves only when asked.
  if (isEngineTurn()) state.side = 'both';
  syncControls();
  await settle();
}

async function loadText(text) {
  const parsed = parseGameText(text, state.game.size);
  await setPosition(parsed.size, parsed.rule ?? state.game.rule, parsed.moves);
}

function exportSgf() {
  const names = { black: ['You', 'Quenvik'], white: ['Quenvik', 'You'], both: ['Black', 'White'] }[state.side];
  const sgf = toSgf(state.game, { black: names[0], white: names[1] });
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([sgf], { type: 'application/x-go-sgf' }));
  link.download = `quenvik-${state.game.rule}-${state.game.size}-${state.game.moves.length}.sgf`;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  $('record').value = sgf;
  return sgf;
}

function guarded(action) {
  return async (...args) => {
    try {
      await action(...args);
    } catch (error) {
      notice(error.message);
      render();
    }
  };
}

// ---------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------

function applyLink() {
  const link = decodeLink(location.hash);
  const size = link.size ?? DEFAULT_SIZE;
  const rule = link.rule ?? 'freestyle';
  state.side = { white: 'black', black: 'white', none: 'both' }[link.engine ?? 'white'];
  state.game = gameFrom(size, rule, link.moves ?? []);
}

function startEngine() {
  engine = new Engine(new URL('engine-worker.js', import.meta.url));
  const log = $('log');
  const kept = [];
  engine.addListener((line, direction) => {
    if (direction === 'in' && line.startsWith('MESSAGE REALTIME')) return;
    kept.push(`${direction === 'out' ? '> ' : ''}${line}`);
    if (kept.length > 300) kept.splice(0, kept.length - 300);
    if (log.closest('details').open) log.textContent = kept.join('\n');
  });
  log.closest('details').addEventListener('toggle', () => (log.textContent = kept.join('\n')));
  engine.ready.then(
    () => {
      performance.mark('quenvik-engine-ready'); // the page's load time, as the measurements read it
      return engine.tell([`INFO max_memory ${ENGINE_MEMORY_BYTES}`]);
    },
    (error) => {
      state.engineFailed = error.message;
      render();
    },
  );
}

function main() {
  const sizes = $('size');
  for (let size = MIN_SIZE; size <= MAX_SIZE; size += 1) {
    const option = document.createElement('option');
    option.value = String(size);
    option.textContent = `${size} × ${size}`;
    sizes.appendChild(option);
  }
  view = new BoardView($('board'), {
    onPoint: guarded(playPoint),
    onHover: (point) => {
      state.preview = point;
      render();
    },
  });
  try {
    applyLink();
  } catch (error) {
    notice(`The link's position cannot be shown: ${error.message}`);
    state.game = new Game();
  }
  syncControls();

  if (window.quenvikIsolationPending) {
    $('status').textContent = 'Preparing the page (it reloads once)…';
    return;
  }
  if (!window.crossOriginIsolated) {
    state.engineFailed = 'this page needs cross-origin isolation (see the README: "In a web browser")';
  } else {
    startEngine();
  }

  $('new-game').addEventListener('click', guarded(newGame));
  $('undo').addEventListener('click', guarded(undo));
  $('hint').addEventListener('click', guarded(hint));
  $('stop').addEventListener('click', () => engine?.stop());
  $('analyse').addEventListener('click', guarded(async () => {
    await interrupt();
    await analyse(state.generation);
  }));
  $('numbers').addEventListener('change', render);
  // Side, rule and size start a new game; the side alone changes who moves next.
  $('rule').addEventListener('change', guarded(newGame));
  $('size').addEventListener('change', guarded(newGame));
  $('side').addEventListener('change', guarded(async () => {
    await interrupt();
    state.side = $('side').value;
    await settle();
  }));
  $('auto-analyse').addEventListener('change', guarded(async () => {
    if ($('auto-analyse').checked && !state.task) await settle();
  }));
  $('load-record').addEventListener('click', guarded(() => loadText($('record').value)));
  $('import-file').addEventListener('change', guarded(async (event) => {
    const file = event.target.files[0];
    if (!file) return;
    await loadText(await file.text());
    notice(`Loaded ${file.name}: ${state.game.moves.length} moves.`);
    event.target.value = '';
  }));
  $('export-sgf').addEventListener('click', guarded(exportSgf));
  $('copy-link').addEventListener('click', guarded(async () => {
    updateAddress();
    await navigator.clipboard.writeText(location.href);
    notice('Link copied: it reopens this position.');
  }));
  window.addEventListener('hashchange', guarded(async () => {
    if (location.hash === encodeLink({ size: state.game.size, rule: state.game.rule, engine: linkEngine(), moves: state.game.moves })) return;
    const link = decodeLink(location.hash);
    await setPosition(link.size ?? state.game.size, link.rule ?? state.game.rule, link.moves ?? []);
  }));
  document.addEventListener('keydown', (event) => {
    if (event.target.closest('textarea, input, select')) return;
    if (event.key === 'Escape') engine?.stop();
  });

  guarded(settle)();
}

main();
