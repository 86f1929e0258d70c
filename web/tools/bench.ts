// SPDX-License-Identifier: GPL-3.0-or-later
// The browser benchmark: a drawn tick in headless Chromium against the native one (the same
// run, web/tick_timing.h), and the site's download size compressed.
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

const session = await startSession();
try {
  const { page } = await openPage(session);
  console.log('particles   browser (us/tick)   native (us/tick)   browser / native');
  for (const particles of [43, 500]) {
    const browser = await page.evaluate(
      (n) =>
        (window as unknown as { kineticModule: { tickMicroseconds(n: number, t: number, r: number): number } })
          .kineticModule.tickMicroseconds(n, 400, 7),
      particles,
    );
    const native = Number(execFileSync(program, [String(particles)], { encoding: 'utf8' }).trim());
    console.log(
      `${String(particles).padEnd(12)}${browser.toFixed(1).padStart(17)}${native.toFixed(1).padStart(19)}` +
        `${(browser / native).toFixed(2).padStart(18)}x`,
    );
  }
  await page.close();
} finally {
  await session.close();
}

console.log('\nfile            bytes      gzip -9     brotli');
let gzipTotal = 0;
let brotliTotal = 0;
for (const file of ['kinetic.wasm', 'kinetic.js', 'app.js', 'style.css', 'index.html']) {
  const data = await readFile(join(siteDir, file));
  const gz = gzipSync(data, { level: 9 }).length;
  const br = brotliCompressSync(data, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
  gzipTotal += gz;
  brotliTotal += br;
  console.log(`${file.padEnd(14)}${String(data.length).padStart(7)}${String(gz).padStart(13)}${String(br).padStart(11)}`);
}
console.log(`${'total'.padEnd(14)}${''.padStart(7)}${String(gzipTotal).padStart(13)}${String(brotliTotal).padStart(11)}`);
