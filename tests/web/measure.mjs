// Speed and size of the WebAssembly engine, for the README and the issue's
// figures (not a test: nothing here passes or fails):
//   node tests/web/measure.mjs
// 1. `quenvik bench` natively, under node and in Chromium, one after another;
// 2. the size of the page's .wasm;
// 3. the page's load time, from navigation to the engine's ready line;
// 4. how long the engine takes to answer YXSTOP in the page;
// 5. the resident memory of Chromium's page process after five 3-second
//    decisions, with the page's table cap and without any (the browser's own
//    measureUserAgentSpecificMemory() crashes this Chromium's page process).
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { repo, serve, startBrowser } from './support.mjs';

const buildWeb = join(repo, 'build-web');
const benchLine = (text) => /^bench: .*$/m.exec(text)[0];
const signature = (text) => /^signature: (.*)$/m.exec(text)[1];

// Resident memory (MiB) of the page processes (renderers) of the Chromium
// whose profile is `profile`: its own process tree only.
function rendererResidentMiB(profile) {
  const children = new Map();
  const processes = new Map();
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name)).map(Number)) {
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      const parent = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(pid);
      const resident = /VmRSS:\s+(\d+)/.exec(readFileSync(`/proc/${pid}/status`, 'utf8'));
      processes.set(pid, { cmdline: readFileSync(`/proc/${pid}/cmdline`, 'utf8'), kiB: Number(resident?.[1] ?? 0) });
    } catch {
      // the process ended meanwhile
    }
  }
  const browserPid = [...processes].find(([, p]) => p.cmdline.includes(profile) && !p.cmdline.includes('--type='))?.[0];
  const renderers = [];
  const visit = (pid) => {
    for (const child of children.get(pid) ?? []) {
      if (processes.get(child)?.cmdline.includes('--type=renderer')) renderers.push(processes.get(child).kiB);
      visit(child);
    }
  };
  visit(browserPid);
  return Math.round(Math.max(...renderers) / 1024);
}

// A site root: the page, its engine, the tool and two small harness pages.
function siteRoot() {
  const root = mkdtempSync(join(tmpdir(), 'quenvik-measure-'));
  cpSync(join(repo, 'web'), root, { recursive: true });
  for (const file of ['quenvik.js', 'quenvik.wasm', 'quenvik.worker.js']) cpSync(join(buildWeb, file), join(root, file));
  writeFileSync(
    join(root, 'bench.html'),
    `<!doctype html><script>
var Module = { arguments: ['bench'], print: (line) => {
  (window.benchLines ??= []).push(line);
  if (line.startsWith('signature:')) window.benchDone = window.benchLines.join('\\n');
} };
</script><script src="quenvik.js"></script>`,
  );
  // Five decisions of 3 s on a middle game, the table capped at `cap` bytes.
  writeFileSync(
    join(root, 'memory.html'),
    `<!doctype html><script type="module">
import { Engine } from './engine.js';
const cap = Number(new URLSearchParams(location.search).get('cap'));
const engine = new Engine(new URL('engine-worker.js', location.href));
await engine.ready;
await engine.tell(['INFO max_memory ' + cap, 'INFO timeout_turn 3000']);
await engine.start(15);
const moves = [[7,7],[8,8],[8,7],[6,7],[9,9],[7,9],[6,8],[9,6]];
for (let k = 0; k < 5; k += 1) {
  const stones = moves.slice(0, 4 + k).map(([x, y], i, all) => x + ',' + y + ',' + ((all.length - i) % 2 === 0 ? 1 : 2));
  await engine.decide(['BOARD', ...stones, 'DONE']);
}
window.memoryDone = true;
</script>`,
  );
  // YXSTOP one second into minute-long decisions: how long until the move line.
  writeFileSync(
    join(root, 'stop.html'),
    `<!doctype html><script type="module">
import { Engine } from './engine.js';
const engine = new Engine(new URL('engine-worker.js', location.href));
await engine.ready;
await engine.tell(['INFO max_memory 67108864', 'INFO timeout_turn 60000']);
await engine.start(15);
const latencies = [];
for (let k = 0; k < 5; k += 1) {
  let stoppedAt = 0;
  const decision = engine.decide(['BOARD', '7,7,2', '8,8,1', '8,7,2', '6,7,1', '9,9,2', 'DONE']);
  await new Promise((resolve) => setTimeout(resolve, 1000));
  stoppedAt = performance.now();
  engine.stop();
  await decision;
  latencies.push(Math.round(performance.now() - stoppedAt));
}
window.stopLatencies = latencies;
</script>`,
  );
  return root;
}

const root = siteRoot();
const server = await serve({ root });
try {
  const native = execFileSync(join(repo, 'build', 'quenvik'), ['bench'], { encoding: 'utf8' });
  const node = execFileSync('node', ['--no-experimental-fetch', join(buildWeb, 'quenvik.js'), 'bench'], { encoding: 'utf8' });
  let browserBench;
  {
    const browser = await startBrowser();
    const page = await browser.context.newPage();
    await page.goto(`${server.url}bench.html`);
    browserBench = await (await page.waitForFunction(() => window.benchDone, null, { timeout: 300000 })).jsonValue();
    await browser.close();
  }
  console.log(`native:   ${benchLine(native)}  (${signature(native)})`);
  console.log(`node:     ${benchLine(node)}  (${signature(node)})`);
  console.log(`chromium: ${benchLine(browserBench)}  (${signature(browserBench)})`);

  const wasm = readFileSync(join(repo, 'web', 'engine', 'quenvik-engine.wasm'));
  const glue = readFileSync(join(repo, 'web', 'engine', 'quenvik-engine.js'));
  console.log(`page engine: .wasm ${wasm.length} bytes (${gzipSync(wasm).length} gzipped), glue .js ${glue.length} bytes`);
  const pageBytes = readdirSync(join(repo, 'web')).filter((f) => /\.(html|css|js)$/.test(f))
    .reduce((sum, f) => sum + statSync(join(repo, 'web', f)).size, 0);
  console.log(`page files (html, css, js): ${pageBytes} bytes`);

  for (let round = 0; round < 3; round += 1) {
    const browser = await startBrowser();
    const page = await browser.context.newPage();
    await page.goto(`${server.url}index.html#size=15&rule=freestyle&engine=white&pos=`);
    await page.waitForFunction(() => performance.getEntriesByName('quenvik-engine-ready').length === 1);
    const times = await page.evaluate(() => ({
      ready: performance.getEntriesByName('quenvik-engine-ready')[0].startTime,
      load: performance.getEntriesByType('navigation')[0].loadEventEnd,
    }));
    console.log(`page load ${round + 1}: load event ${Math.round(times.load)} ms, engine ready ${Math.round(times.ready)} ms`);
    await browser.close();
  }

  {
    const browser = await startBrowser();
    const page = await browser.context.newPage();
    await page.goto(`${server.url}stop.html`);
    const latencies = await (await page.waitForFunction(() => window.stopLatencies, null, { timeout: 120000 })).jsonValue();
    console.log(`YXSTOP to move line in the page: ${latencies.join(', ')} ms`);
    await browser.close();
  }

  for (const cap of [64 * 1024 * 1024, 0]) {
    const browser = await startBrowser();
    const page = await browser.context.newPage();
    await page.goto('about:blank');
    const blank = rendererResidentMiB(browser.profile);
    await page.goto(`${server.url}memory.html?cap=${cap}`);
    await page.waitForFunction(() => window.memoryDone, null, { timeout: 120000 });
    console.log(`max_memory ${cap || 'none'}: the page process holds ${rendererResidentMiB(browser.profile)} MiB ` +
      `after five 3 s decisions (${blank} MiB on a blank page)`);
    await browser.close();
  }
} finally {
  server.stop();
  rmSync(root, { recursive: true, force: true });
}
