// The board page in headless Chromium, served by tools/serve-web, driven by
// clicks as a person would. The native quenvik tool judges the rules.
//   cd tests/web && node --test      (tools/build-web and a native build first)
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { nativeTool, repo, screenshotDirectory, serve, startBrowser } from './support.mjs';

const shots = screenshotDirectory();
let server;
let browser;

before(async () => {
  server = await serve();
  browser = await startBrowser();
});

after(async () => {
  await browser?.close();
  server?.stop();
});

async function openPage(hash, viewport = null) {
  const page = await browser.context.newPage();
  if (viewport) await page.setViewportSize(viewport);
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.errors = errors;
  await page.goto(`${server.url}${hash}`);
  return page;
}

// Stones as the page shows them, in playing order.
function shownStones(page) {
  return page.$$eval('.layer-stones .stone', (nodes) =>
    nodes
      .map((node) => ({
        cell: node.dataset.cell,
        move: Number(node.dataset.move),
        colour: node.classList.contains('black') ? 'black' : 'white',
      }))
      .sort((a, b) => a.move - b.move),
  );
}

// Waits until the page shows `count` stones and the engine is idle (or the game over).
function waitForStones(page, count, timeout = 30000) {
  return page.waitForFunction(
    (n) =>
      document.querySelectorAll('.layer-stones .stone').length === n &&
      ['idle', 'over'].includes(document.getElementById('status').dataset.state),
    count,
    { timeout },
  );
}

const toMoves = (cells) => cells.map((cell) => cell.split(',').map(Number));
const movesArg = (moves) => moves.map(([x, y]) => `${x},${y}`).join(' ');

// Black's forbidden points under Renju, from the native tool.
function nativeForbidden(moves) {
  const output = nativeTool(['forbidden', '--size', '15', '--rule', 'renju', '--moves', movesArg(moves)]);
  return output
    .split('\n')
    .filter(Boolean)
    .map((line) => line.split(' ')[0])
    .sort();
}

describe('the board page', () => {
  test('plays ten moves by clicks, and every engine reply is legal and shown', async () => {
    // Renju with the engine as Black: its replies must also avoid the forbidden points.
    const page = await openPage('#size=15&rule=renju&engine=black&pos=');
    await page.selectOption('#time', '500');
    const played = [];
    let humanMoves = 0;
    for (;;) {
      await waitForStones(page, played.length + 1);
      const stones = await shownStones(page);
      assert.deepEqual(
        stones.slice(0, played.length).map((s) => s.cell),
        played.map(([x, y]) => `${x},${y}`),
        'earlier stones stay where they were',
      );
      const reply = stones[played.length];
      assert.equal(reply.colour, 'black');
      const [x, y] = reply.cell.split(',').map(Number);
      assert.ok(x >= 0 && x < 15 && y >= 0 && y < 15, `reply ${reply.cell} is on the board`);
      assert.ok(!played.some(([px, py]) => px === x && py === y), `reply ${reply.cell} is on an empty point`);
      assert.ok(!nativeForbidden(played).includes(reply.cell), `reply ${reply.cell} is not forbidden to Black`);
      assert.equal(await page.getAttribute('.last-move', 'data-cell'), reply.cell, 'the reply is marked as the last move');
      played.push([x, y]);
      if ((await page.getAttribute('#status', 'data-state')) === 'over' || humanMoves === 10) break;

      // Our own move: the engine's hint for White, clicked.
      await page.click('#hint');
      await page.waitForSelector('.hint', { timeout: 30000 });
      const hint = await page.getAttribute('.hint', 'data-cell');
      await page.click(`.hit[data-cell="${hint}"]`);
      played.push(hint.split(',').map(Number));
      humanMoves += 1;
    }
    assert.ok(humanMoves === 10 || (await page.getAttribute('#status', 'data-state')) === 'over');
    assert.match(await page.innerText('#move-count'), new RegExp(`^Move ${played.length}:`));
    // The address holds the game: reopening it shows the same stones.
    assert.match(page.url(), /pos=h8/);
    await page.screenshot({ path: join(shots, 'game-in-progress.png') });
    const again = await openPage(new URL(page.url()).hash.replace('engine=black', 'engine=none'));
    await waitForStones(again, played.length);
    assert.deepEqual((await shownStones(again)).map((s) => s.cell), played.map(([px, py]) => `${px},${py}`));
    assert.deepEqual([...page.errors, ...again.errors], []);
    await page.close();
    await again.close();
  });

  test('Stop ends a long think at once, and an analysis lists and draws the best moves', async () => {
    const page = await openPage('#size=15&rule=freestyle&engine=none&pos=h8i9');
    await waitForStones(page, 2);
    await page.selectOption('#time', '60000');
    await page.selectOption('#side', 'white'); // the engine, Black, is to move and thinks for a minute
    await page.waitForFunction(() => /depth \d+/.test(document.querySelector('#status .live')?.textContent ?? ''));
    const stopped = Date.now();
    await page.click('#stop');
    await waitForStones(page, 3, 20000);
    console.log(`# the move came ${Date.now() - stopped} ms after Stop`);

    // An analysis that would run for an hour, stopped the same way.
    await page.selectOption('#side', 'both');
    await page.selectOption('#analysis-time', '3600000');
    await page.click('#analyse');
    await page.waitForSelector('.live-best');
    await page.click('#stop');
    await page.waitForFunction(() => document.getElementById('status').dataset.state === 'idle');
    assert.ok((await page.$$('#analysis-table tbody tr')).length >= 1, 'the stopped analysis lists its best move');

    // Three lines: each drawn on an empty point and listed with its evaluation and win rate.
    await page.selectOption('#analysis-time', '2000');
    await page.click('#analyse');
    // The click first ends what runs, so until the analysis starts the page
    // still shows the stopped one's rows, idle.
    await page.waitForFunction(() => document.getElementById('status').dataset.state === 'analyse');
    await page.waitForFunction(
      () => document.querySelectorAll('#analysis-table tbody tr').length === 3 &&
        document.getElementById('status').dataset.state === 'idle',
      null,
      { timeout: 30000 },
    );
    const rows = await page.$$eval('#analysis-table tbody tr', (trs) => trs.map((tr) => [...tr.cells].map((td) => td.textContent)));
    const taken = (await shownStones(page)).map((s) => s.cell);
    const drawn = await page.$$eval('.candidate', (nodes) => nodes.map((node) => node.dataset.cell));
    assert.equal(drawn.length, 3);
    assert.equal(new Set(drawn).size, 3, 'three different moves');
    for (const cell of drawn) assert.ok(!taken.includes(cell), `${cell} is empty`);
    for (const [rank, move, evaluation, win] of rows) {
      assert.match(rank, /^[123]$/);
      assert.match(move, /^[a-o]\d{1,2}$/);
      assert.match(evaluation, /^([+-]?\d+|win in \d+|loss in \d+)$/);
      assert.match(win, /^\d{1,3}%$/);
    }
    await page.screenshot({ path: join(shots, 'analysis.png') });
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('Renju: the points forbidden to Black are marked and refused', async () => {
    // A double three at 9,7 and an overline at 3,12 for Black, White far away.
    const moves = [
      [7, 7], [14, 0], [8, 7], [14, 2], [9, 8], [14, 4], [9, 9], [14, 6], [0, 12], [14, 8],
      [1, 12], [12, 14], [2, 12], [10, 14], [4, 12], [8, 14], [5, 12], [6, 14],
    ];
    const pos = moves.map(([x, y]) => String.fromCharCode(97 + x) + (y + 1)).join('');
    const page = await openPage(`#size=15&rule=renju&engine=none&pos=${pos}`);
    const expected = nativeForbidden(moves);
    assert.ok(expected.length >= 2);
    await page.waitForFunction((n) => document.querySelectorAll('.forbidden').length === n, expected.length);
    const marked = (await page.$$eval('.forbidden', (nodes) => nodes.map((node) => node.dataset.cell))).sort();
    assert.deepEqual(marked, expected);
    await page.screenshot({ path: join(shots, 'renju-forbidden.png') });

    await page.click(`.hit[data-cell="${expected[0]}"]`);
    assert.match(await page.innerText('#notice'), /forbidden to Black/);
    assert.equal((await shownStones(page)).length, moves.length, 'the forbidden click played nothing');

    // A legal Black move: then White is to move, and nothing is marked.
    await page.click('.hit[data-cell="7,3"]');
    await waitForStones(page, moves.length + 1);
    assert.equal(await page.$$eval('.forbidden', (nodes) => nodes.length), 0);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('an SGF file imports, reopens from the link, and exports the same game', async () => {
    const file = join(repo, 'tests', 'data', 'exact-20-60-moves.sgf');
    const sgfMoves = (text) => [...text.matchAll(/;([BW])\[([a-t])([a-t])\]/g)].map((m) => `${m[2].charCodeAt(0) - 97},${m[3].charCodeAt(0) - 97}`);
    const expected = sgfMoves(readFileSync(file, 'utf8'));
    assert.equal(expected.length, 60);

    const page = await openPage('#engine=none');
    await waitForStones(page, 0);
    await page.setInputFiles('#import-file', file);
    await waitForStones(page, 60);
    assert.deepEqual((await shownStones(page)).map((s) => s.cell), expected);
    assert.equal(await page.inputValue('#size'), '20');
    assert.equal(await page.inputValue('#rule'), 'exact');
    assert.equal(await page.$$eval('.hit', (nodes) => nodes.length), 400);

    const reopened = await openPage(new URL(page.url()).hash);
    await waitForStones(reopened, 60);
    assert.deepEqual((await shownStones(reopened)).map((s) => s.cell), expected);
    await reopened.close();

    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#export-sgf')]);
    const exportedPath = join(screenshotDirectory(), 'exported.sgf');
    await download.saveAs(exportedPath);
    const exported = readFileSync(exportedPath, 'utf8');
    assert.match(exported, /SZ\[20\]/);
    assert.match(exported, /RU\[1\]/);
    assert.deepEqual(sgfMoves(exported), expected);
    // The native tool reads the exported file as the same position.
    assert.equal(nativeTool(['eval', '--game', exportedPath]), nativeTool(['eval', '--game', file]));
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('a narrow window puts the panel below a board that fills the width', async () => {
    const page = await openPage('#size=15&rule=freestyle&engine=white&pos=h8i9h9', { width: 390, height: 844 });
    await waitForStones(page, 4);
    const board = await page.locator('#board').boundingBox();
    const panel = await page.locator('.side').boundingBox();
    assert.ok(board.width > 300 && board.x + board.width <= 390, `board ${JSON.stringify(board)}`);
    assert.ok(panel.y >= board.y + board.height, 'the panel is below the board');
    await page.screenshot({ path: join(shots, 'phone.png'), fullPage: false });
    await page.close();
  });
});

describe('a static host without isolation headers', () => {
  let plain;
  before(async () => {
    plain = await serve({ isolation: false });
  });
  after(() => plain?.stop());

  test('the page isolates itself with its service worker and the engine answers', async () => {
    const page = await browser.context.newPage();
    await page.goto(`${plain.url}#size=9&rule=freestyle&engine=white&pos=e5`);
    await waitForStones(page, 2);
    assert.equal(await page.evaluate(() => window.crossOriginIsolated), true);
    await page.close();
  });
});

