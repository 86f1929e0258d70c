// SPDX-License-Identifier: GPL-3.0-or-later
// KineticModel and links in headless Chromium: step(n)'s refusals and a long step that leaves
// the page answering, and a copied link that places the gas on screen again.

import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import type { Page } from 'puppeteer-core';
import { frames, openPage, startSession, type Session } from './browser';

let session: Session;
before(async () => {
  session = await startSession();
});
after(async () => session?.close());

interface Api {
  setup(o: object): void;
  step(n?: unknown): Promise<number>;
  ticks(): number;
  pause(): void;
  link(): string;
}

async function stepRefusal(page: Page, argument: string): Promise<string> {
  return page.evaluate((text) => {
    const km = (window as unknown as { KineticModel: Api }).KineticModel;
    const before = km.ticks();
    try {
      // The argument as a script would write it.
      const value: unknown = new Function(`return ${text};`)();
      void km.step(value);
      return `took it: ${km.ticks() - before} ticks`;
    } catch (error) {
      return error instanceof Error && km.ticks() === before ? error.message : `not an Error: ${String(error)}`;
    }
  }, argument);
}

describe('KineticModel.step', () => {
  test('takes a whole number from 0 to 10000000 and refuses anything else in words', async () => {
    const { page, problems } = await openPage(session);
    await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.setup({ counts: [20, 0, 0, 0] }));
    for (const bad of ['-1', "'abc'", 'NaN', '2.5', 'Infinity', '1e9', '10000001', "'5'", 'null', '[3]']) {
      const words = await stepRefusal(page, bad);
      assert.match(words, /^step\(n\) takes a whole number of ticks from 0 to 10000000, not /, `step(${bad}): ${words}`);
    }
    const done = await page.evaluate(async () => {
      const km = (window as unknown as { KineticModel: Api }).KineticModel;
      const t0 = km.ticks();
      const none = await km.step(0);
      const one = await km.step();
      const some = km.step(25);
      // A short step is done when step returns.
      const onReturn = km.ticks() - t0;
      return { none, one, some: await some, onReturn, total: km.ticks() - t0 };
    });
    assert.deepEqual(done, { none: 0, one: 1, some: 25, onReturn: 26, total: 26 });
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a long step runs in slices: the page answers a click and draws while it goes on', async () => {
    const { page, problems } = await openPage(session);
    const ticks = 3000;
    await page.evaluate((n) => {
      const km = (window as unknown as { KineticModel: Api }).KineticModel;
      km.setup({ counts: [500, 0, 0, 0], radius: 10, proximity: 20 });
      const w = window as unknown as { stepDone: number | null; stepping: Promise<number> };
      w.stepDone = null;
      w.stepping = km.step(n).then((d) => (w.stepDone = d));
    }, ticks);
    const firstTicks = await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.ticks());
    assert.ok(firstTicks < ticks, `not all at once: ${firstTicks}`);
    // A click answered while the step goes on, and display frames between its slices.
    const started = Date.now();
    await page.click('#labTab2');
    await page.waitForSelector('#labTab2[aria-selected="true"]', { timeout: 1000 });
    const answered = Date.now() - started;
    await frames(page, 3);
    const during = await page.evaluate(() => ({
      ticks: (window as unknown as { KineticModel: Api }).KineticModel.ticks(),
      done: (window as unknown as { stepDone: number | null }).stepDone,
    }));
    assert.equal(during.done, null, `the step still runs: ${JSON.stringify(during)}`);
    assert.ok(during.ticks > firstTicks, 'ticks went on between frames');
    assert.ok(answered < 1000, `the click answered in ${answered} ms`);
    const done = await page.evaluate(() => (window as unknown as { stepping: Promise<number> }).stepping);
    assert.equal(done, ticks);
    assert.ok((await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.ticks())) >= ticks);
    assert.deepEqual(problems, []);
    await page.close();
  });
});
