// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the browser tests: the built site served on the loopback, Debian's Chromium
// headless, and what a page did that it should not (console errors, uncaught exceptions,
// requests leaving its origin).

import { mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer, { type Browser, type Page } from 'puppeteer-core';
import { serve, type Serving } from '../tools/static_server';

// The build's folder: these tests run from its tests/ folder, beside site/.
export const buildDir = join(dirname(fileURLToPath(import.meta.url)), '..');
export const siteDir = join(buildDir, 'site');
export const screenshotDir = join(buildDir, 'screenshots');

export interface Session {
  browser: Browser;
  serving: Serving;
  close(): Promise<void>;
}

export async function startSession(): Promise<Session> {
  const serving = await serve(siteDir, '127.0.0.1', 0);
  const profile = await mkdtemp(join(tmpdir(), 'kinetic-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env['KM_CHROMIUM'] ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });
  return {
    browser,
    serving,
    async close() {
      await browser.close();
      await new Promise((done) => serving.server.close(done));
      await rm(profile, { recursive: true, force: true });
    },
  };
}

export interface Watched {
  page: Page;
  // Everything the page did wrong so far, in words.
  problems: string[];
}

export interface Viewport {
  width: number;
  height: number;
  deviceScaleFactor?: number;
  isMobile?: boolean;
  hasTouch?: boolean;
}

// Opens the site (with `query`) in a new tab of the given size and watches it.
export async function openPage(
  session: Session,
  viewport: Viewport = { width: 1280, height: 800 },
  query = '?test',
): Promise<Watched> {
  const page = await session.browser.newPage();
  await page.setViewport(viewport);
  const problems: string[] = [];
  const origin = new URL(session.serving.url).origin;
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`console error: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`uncaught: ${(e as Error).message ?? String(e)}`));
  page.on('request', (r) => {
    const url = r.url();
    if (!url.startsWith('data:') && new URL(url).origin !== origin)
      problems.push(`request outside the origin: ${url}`);
  });
  page.on('requestfailed', (r) => problems.push(`failed request: ${r.url()}`));
  await page.goto(session.serving.url + query, { waitUntil: 'load' });
  await page.waitForSelector('#controls:not([hidden])', { timeout: 20000 });
  return { page, problems };
}

// The canvas's pixels, counted by colour, and a checksum of all of them.
export interface PictureCount {
  width: number;
  height: number;
  black: number;
  green: number;
  blue: number;
  cyan: number;
  red: number;
  sum: number;
}

export async function countPicture(page: Page): Promise<PictureCount> {
  return page.evaluate(() => {
    const canvas = document.getElementById('Picture1') as HTMLCanvasElement;
    const context = canvas.getContext('2d') as CanvasRenderingContext2D;
    const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
    const count = { width: canvas.width, height: canvas.height, black: 0, green: 0, blue: 0, cyan: 0, red: 0, sum: 0 };
    for (let i = 0; i < data.length; i += 4) {
      const r = data[i] as number, g = data[i + 1] as number, b = data[i + 2] as number;
      const rgb = (r << 16) | (g << 8) | b;
      count.sum = (count.sum * 31 + rgb + i) % 2147483647;
      if (rgb === 0) count.black++;
      else if (rgb === 0x00ff00) count.green++;
      else if (rgb === 0x0000ff) count.blue++;
      else if (rgb === 0x00ffff) count.cyan++;
      else if (rgb === 0xff0000) count.red++;
    }
    return count;
  });
}

export async function text(page: Page, id: string): Promise<string> {
  return page.$eval(`#${id}`, (e) => e.textContent ?? '');
}

// Waits until the readout `id` shows something other than `before`.
export async function readoutChanges(page: Page, id: string, before: string, timeout = 5000): Promise<void> {
  await page.waitForFunction(
    (name, old) => (document.getElementById(name)?.textContent ?? '') !== old,
    { timeout },
    id,
    before,
  );
}

export async function frames(page: Page, n: number): Promise<void> {
  await page.evaluate(async (count) => {
    for (let k = 0; k < count; ++k) await new Promise((done) => requestAnimationFrame(done));
  }, n);
}

// Replaces a field's text as a user would: select all, then type.
export async function retype(page: Page, id: string, value: string): Promise<void> {
  await page.click(`#${id}`, { count: 3 });
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyA');
  await page.keyboard.up('Control');
  if (value === '') await page.keyboard.press('Backspace');
  else await page.keyboard.type(value);
}
