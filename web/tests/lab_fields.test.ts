// SPDX-License-Identifier: GPL-3.0-or-later
// The laboratory's fields in headless Chromium: one warm-up limit for the field, a link and
// kinetic-measure; a warm-up taken once typing pauses; a refused sweep naming every bad field;
// the sweep's rows shown as they finish; a long value in a refusal wrapped inside its box.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { after, before, describe, test } from 'node:test';
import type { Page } from 'puppeteer-core';
import { openPage, retype, startSession, text, type Session } from './browser';

let session: Session;
before(async () => {
  session = await startSession();
});
after(async () => session?.close());

const most = 1_000_000;

async function warmup(page: Page): Promise<number> {
  return page.evaluate(() => (window as unknown as { kineticPage: { warmup(): number } }).kineticPage.warmup());
}

async function messageShown(page: Page): Promise<string> {
  await page.waitForSelector('#message[open]', { timeout: 5000 });
  return text(page, 'messageText');
}

describe('the laboratory\'s fields', () => {
  test('the warm-up\'s limit is the same in the field, a link and kinetic-measure', async () => {
    const measure = process.env['KM_MEASURE'];
    assert.ok(measure, 'KM_MEASURE must name the native kinetic-measure program');
    const run = (warm: number) => {
      try {
        execFileSync(measure, ['--counts', '1,0,0,0', '--ticks', '1', '--warmup', String(warm), '--format', 'csv'], { stdio: 'pipe' });
        return '';
      } catch (error) {
        return String((error as { stderr?: Buffer }).stderr ?? error);
      }
    };
    assert.equal(run(most), '');
    assert.match(run(most + 1), /--warmup must be a whole number of ticks from 0 to 1,000,000/);

    const { page, problems } = await openPage(session, { width: 1280, height: 800 }, `?test&warmup=${most}`);
    await page.waitForSelector('#lab:not([hidden])');
    assert.equal(await warmup(page), most, 'a link takes the most');
    await retype(page, 'warmup', String(most + 1));
    await page.keyboard.press('Tab');
    assert.equal(await page.$eval('#warmup', (e) => e.getAttribute('aria-invalid')), 'true', 'the field refuses one more');
    assert.equal(await warmup(page), most);
    const over = await openPage(session, { width: 1280, height: 800 }, `?test&warmup=${most + 1}`);
    assert.match(await messageShown(over.page), /warmup must be a whole number of ticks from 0 to 1,000,000/);
    assert.deepEqual([...problems, ...over.problems], []);
    await over.page.close();
    await page.close();
  });

  test('a warm-up typed is taken once typing pauses or the field is left, not digit by digit', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#openLab');
    await page.click('#runSImulation');
    await retype(page, 'warmup', '');
    // Every frame while typing, the warm-up in force.
    await page.evaluate(() => {
      const w = window as unknown as { seen: number[]; watching: boolean; kineticPage: { warmup(): number } };
      w.seen = [];
      w.watching = true;
      const look = () => {
        w.seen.push(w.kineticPage.warmup());
        if (w.watching) requestAnimationFrame(look);
      };
      look();
    });
    await page.keyboard.type('200000', { delay: 40 });
    const seen = await page.evaluate(() => {
      const w = window as unknown as { seen: number[]; watching: boolean };
      w.watching = false;
      return [...new Set(w.seen)];
    });
    assert.deepEqual(seen.filter((v) => v !== 200000), [500], `nothing taken on the way: ${seen.join(',')}`);
    // The pause is 0.7 s; on a loaded machine (the whole suite at once on two cores) its timer
    // can fire seconds late, so wait up to 15 s.
    await page
      .waitForFunction(() => (window as unknown as { kineticPage: { warmup(): number } }).kineticPage.warmup() === 200000, {
        timeout: 15000,
      })
      .catch(() => undefined);
    assert.equal(await warmup(page), 200000, 'taken once typing paused');
    await retype(page, 'warmup', '3000');
    await page.keyboard.press('Tab');
    assert.equal(await warmup(page), 3000, 'taken when the field is left');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a refused sweep names every bad field; a sweep shows each row as its runs finish', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#openLab');
    await page.click('#labTab7');
    const set = async (values: [string, string][]) => {
      for (const [id, value] of values) await page.$eval(`#${id}`, (e, v) => ((e as HTMLInputElement).value = v as string), value);
    };
    await set([['sweepDiscs', '0'], ['sweepEtas', '0.1'], ['sweepSeeds', '1'], ['sweepWarmup', String(most + 1)], ['sweepTicks', 'x']]);
    await page.click('#runSweep');
    const words = await messageShown(page);
    for (const field of ['number of discs', 'warm-up', 'ticks averaged']) assert.ok(words.includes(field), `${field} in ${words}`);
    assert.ok(!words.includes('packing fractions'), words);
    await page.click('#messageOk');
    // Three packing fractions, run densest first: a row shows as each finishes.
    await set([['sweepDiscs', '40'], ['sweepEtas', '0.05, 0.1, 0.2'], ['sweepSeeds', '1'], ['sweepWarmup', '10'], ['sweepTicks', '200']]);
    const seen = await page.evaluate(() => new Promise<number[]>((done) => {
      const counts: number[] = [];
      const table = document.getElementById('sweepTable') as HTMLElement;
      const watch = new MutationObserver(() => {
        counts.push(table.querySelectorAll('tbody tr').length);
        if (document.getElementById('sweepState')?.textContent === 'done') {
          watch.disconnect();
          done(counts);
        }
      });
      watch.observe(document.getElementById('labPanel') as HTMLElement, { childList: true, subtree: true, characterData: true });
      (document.getElementById('runSweep') as HTMLButtonElement).click();
    }));
    assert.deepEqual([...new Set(seen)].filter((n) => n > 0), [1, 2, 3], `rows as they finished: ${seen.join(',')}`);
    assert.equal(await page.$$eval('#sweepTable tbody tr', (trs) => trs.length), 3);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a long value in a refused link wraps inside the message box', async () => {
    const long = '9'.repeat(3000);
    const { page, problems } = await openPage(session, { width: 1280, height: 800 }, `?test&radius=${long}`);
    const words = await messageShown(page);
    assert.ok(words.includes(long.slice(0, 100)), 'the value is quoted');
    const fit = await page.evaluate(() => {
      const box = (document.getElementById('message') as HTMLElement).getBoundingClientRect();
      const p = document.getElementById('messageText') as HTMLElement;
      return { right: box.right, bottom: box.bottom, overflow: p.scrollWidth - p.clientWidth, width: innerWidth, height: innerHeight };
    });
    assert.ok(fit.right <= fit.width && fit.bottom <= fit.height, `the box in view: ${JSON.stringify(fit)}`);
    assert.ok(fit.overflow <= 0, `no text beyond the box: ${JSON.stringify(fit)}`);
    assert.deepEqual(problems, []);
    await page.close();
  });
});
