// SPDX-License-Identifier: GPL-3.0-or-later
// The browser benchmark: a drawn tick in headless Chromium against the native one (the same
// run, web/tick_timing.h), the page's pace with the laboratory's charts showing, and the site's
// download size compressed.
// KM_NATIVE_TICK names the native program (bench/web_tick_bench).

import { execFileSync } from 'node:child_process';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { brotliCompressSync, gzipSync, constants } from 'node:zlib';
import { openPage, siteDir, startSession } from '../tests/browser';

const program = process.env['KM_NATIVE_TICK'];
if (!program) {
  console.error('KM_NATIVE_TICK must name the native web_tick_bench program');
  process.exit(2);
}
// --page: the page's pace alone, without the tick against the native one.
const pageOnly = process.argv.includes('--page');

const session = await startSession();
try {
  const { page } = await openPage(session);
  if (!pageOnly) console.log('particles   rule        browser (us/tick)   native (us/tick)   browser / native');
  for (const particles of pageOnly ? [] : [43, 500]) {
    for (const rule of ['specified', 'exact']) {
      const browser = await page.evaluate(
        (n, exact) =>
          (
            window as unknown as {
              kineticModule: { tickMicroseconds(n: number, exact: boolean, t: number, r: number): number };
            }
          ).kineticModule.tickMicroseconds(n, exact, 400, 7),
        particles,
        rule === 'exact',
      );
      const native = Number(execFileSync(program, [String(particles), rule], { encoding: 'utf8' }).trim());
      console.log(
        `${String(particles).padEnd(12)}${rule.padEnd(12)}${browser.toFixed(1).padStart(17)}` +
          `${native.toFixed(1).padStart(19)}${(browser / native).toFixed(2).padStart(18)}x`,
      );
    }
  }
  await page.close();

  // The page's pace with 500 discs (radius 10, proximity 20), the laboratory closed and open
  // on each tab, side by side in one run: ticks per second of wall time (the page's clock asks
  // 1,000), display frames per second, and the share of the pace with the laboratory closed.
  const lab = await openPage(session, { width: 1280, height: 800 }, '?test&counts=500,0,0,0&masses=1,1,1,1&radius=10&proximity=20&seed=1&warmup=200');
  await new Promise((done) => setTimeout(done, 1500));
  const tabs = JSON.parse(await lab.page.evaluate(() => (window as unknown as { kineticPage: { tabNames(): string } }).kineticPage.tabNames())) as string[];
  const pace = () =>
    lab.page.evaluate(async () => {
      type Times = { ticks: number; shown: number; lab: number; frames: number };
      const w = window as unknown as { KineticModel: { ticks(): number }; kineticLab: { refreshes: number }; kineticFrames: Times };
      const t0 = performance.now(), ticks0 = w.KineticModel.ticks(), refreshes0 = w.kineticLab.refreshes;
      const times0 = { ...w.kineticFrames };
      let frames = 0;
      await new Promise<void>((done) => {
        const count = (): void => {
          ++frames;
          if (performance.now() - t0 < 3000) requestAnimationFrame(count);
          else done();
        };
        requestAnimationFrame(count);
      });
      const seconds = (performance.now() - t0) / 1000;
      const f = w.kineticFrames, n = Math.max(1, f.frames - times0.frames);
      return {
        ticks: (w.KineticModel.ticks() - ticks0) / seconds,
        frames: frames / seconds,
        refreshes: (w.kineticLab.refreshes - refreshes0) / seconds,
        // ms a frame: the ticks, the readouts and picture, the laboratory's charts and controls
        msTicks: (f.ticks - times0.ticks) / n,
        msShown: (f.shown - times0.shown) / n,
        msLab: (f.lab - times0.lab) / n,
      };
    });
  const closed = async () => {
    await lab.page.click('#closeLab');
    await new Promise((done) => setTimeout(done, 500));
    const m = await pace();
    await lab.page.click('#openLab');
    await new Promise((done) => setTimeout(done, 500));
    return m;
  };
  console.log('\nthe page with 500 discs (radius 10, proximity 20) at 1280 x 800, 3 s each, closed before and after');
  console.log('laboratory          ticks/s   frames/s   chart refreshes/s   of closed   ms a frame: ticks  readouts+picture  laboratory');
  const before = await closed();
  const open: { name: string; m: Awaited<ReturnType<typeof pace>> }[] = [];
  for (let tab = 0; tab < tabs.length; ++tab) {
    await lab.page.click(`#labTab${tab}`);
    await new Promise((done) => setTimeout(done, 500));
    open.push({ name: tabs[tab] as string, m: await pace() });
  }
  const afterwards = await closed();
  const base = (before.ticks + afterwards.ticks) / 2;
  const row = (name: string, m: Awaited<ReturnType<typeof pace>>) =>
    console.log(
      `${name.padEnd(18)}${m.ticks.toFixed(0).padStart(9)}${m.frames.toFixed(1).padStart(11)}${m.refreshes.toFixed(1).padStart(14)}` +
        `${((100 * m.ticks) / base).toFixed(1).padStart(16)} %${m.msTicks.toFixed(2).padStart(15)}${m.msShown.toFixed(2).padStart(18)}${m.msLab.toFixed(2).padStart(12)}`,
    );
  row('closed (before)', before);
  for (const { name, m } of open) row(name, m);
  row('closed (after)', afterwards);
  if (lab.problems.length) console.log(`problems: ${lab.problems.join('; ')}`);
  await lab.page.close();
} finally {
  await session.close();
}

console.log('\nfile            bytes      gzip -9     brotli');
let gzipTotal = 0;
let brotliTotal = 0;
for (const file of ['kinetic.wasm', 'kinetic.js', 'app.js', 'sweep_worker.js', 'style.css', 'index.html']) {
  const data = await readFile(join(siteDir, file));
  const gz = gzipSync(data, { level: 9 }).length;
  const br = brotliCompressSync(data, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
  gzipTotal += gz;
  brotliTotal += br;
  console.log(`${file.padEnd(14)}${String(data.length).padStart(7)}${String(gz).padStart(13)}${String(br).padStart(11)}`);
}
console.log(`${'total'.padEnd(14)}${''.padStart(7)}${String(gzipTotal).padStart(13)}${String(brotliTotal).padStart(11)}`);
