// What the browser tests and the measurements share: the page served by
// tools/serve-web, and Debian's Chromium started headless through
// playwright-core (its own browser downloads cannot be reached).
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, mkdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

export const repo = join(dirname(fileURLToPath(import.meta.url)), '..', '..');

export const chromiumPath = process.env.QUENVIK_CHROMIUM ?? '/usr/bin/chromium';

// Started as root in CI: no sandbox; and nothing that reaches beyond this machine.
export const chromiumArgs = [
  '--headless',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// Starts tools/serve-web on a free port; resolves with { url, stop }.
export function serve({ isolation = true, root = null } = {}) {
  const args = ['--port', '0'];
  if (!isolation) args.push('--no-isolation');
  if (root) args.push('--root', root);
  const server = spawn(join(repo, 'tools', 'serve-web'), args, { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.once('exit', (code) => reject(new Error(`tools/serve-web exited with ${code}`)));
    server.stdout.once('data', (data) => {
      const url = /http:\/\/\S+/.exec(String(data));
      if (!url) return reject(new Error(`tools/serve-web said: ${data}`));
      resolve({ url: url[0], stop: () => server.kill() });
    });
  });
}

// A fresh profile every time: no service worker or cache from an earlier run.
export async function startBrowser() {
  const profile = mkdtempSync(join(tmpdir(), 'quenvik-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: chromiumArgs,
    viewport: { width: 1280, height: 900 },
    acceptDownloads: true,
  });
  return {
    context,
    profile,
    close: async () => {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

export function screenshotDirectory() {
  const directory = process.env.QUENVIK_SCREENSHOTS ?? join(repo, 'build-web', 'screenshots');
  mkdirSync(directory, { recursive: true });
  return directory;
}

// The native tool, an independent judge of the rules.
export function nativeTool(args) {
  const tool = process.env.QUENVIK_NATIVE_TOOL ?? join(repo, 'build', 'quenvik');
  return execFileSync(tool, args, { encoding: 'utf8' });
}
