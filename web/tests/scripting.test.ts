// SPDX-License-Identifier: GPL-3.0-or-later
// KineticModel and links in headless Chromium: step(n)'s refusals and a long step that leaves
// the page answering, and a copied link that places the gas on screen again.

import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import type { Page } from 'puppeteer-core';
import { countPicture, frames, openPage, readoutChanges, startSession, text, type Session } from './browser';

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
      const w = window as unknown as { stepDone: number | null; stepping: Promise<number>; gaps: number[] };
      w.stepDone = null;
      w.gaps = [];
      // The display frames while the step runs: the longest wait between two shows how long
      // the page went without answering.
      let last = performance.now();
      const watch = (now: number) => {
        w.gaps.push(now - last);
        last = now;
        if (w.stepDone === null) requestAnimationFrame(watch);
      };
      requestAnimationFrame(watch);
      w.stepping = km.step(n).then((d) => (w.stepDone = d));
    }, ticks);
    const firstTicks = await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.ticks());
    assert.ok(firstTicks < ticks, `not all at once: ${firstTicks}`);
    // A click answered while the step goes on, and display frames between its slices.
    await page.click('#labTab2');
    await page.waitForSelector('#labTab2[aria-selected="true"]', { timeout: 2000 });
    await frames(page, 3);
    const during = await page.evaluate(() => ({
      ticks: (window as unknown as { KineticModel: Api }).KineticModel.ticks(),
      done: (window as unknown as { stepDone: number | null }).stepDone,
    }));
    assert.equal(during.done, null, `the step still runs: ${JSON.stringify(during)}`);
    assert.ok(during.ticks > firstTicks, 'ticks went on between frames');
    const done = await page.evaluate(() => (window as unknown as { stepping: Promise<number> }).stepping);
    assert.equal(done, ticks);
    const gaps = await page.evaluate(() => (window as unknown as { gaps: number[] }).gaps);
    assert.ok(gaps.length > 10, `frames drawn during the step: ${gaps.length}`);
    assert.ok(Math.max(...gaps) < 250, `the longest wait between frames: ${Math.max(...gaps)} ms`);
    assert.ok((await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.ticks())) >= ticks);
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('Copy link', () => {
  // The gas of a link placed again by a script, paused, and stepped to `ticks`: its picture.
  async function replayed(page: Page, link: string, ticks: number) {
    await page.evaluate(async (address, n) => {
      const km = (window as unknown as { KineticModel: Api }).KineticModel;
      const options = Object.fromEntries(new URL(address).searchParams.entries());
      km.setup(options);
      await km.step(n);
    }, link, ticks);
    await frames(page, 2);
    return countPicture(page);
  }

  test('after a plain "Run Simulation" the link places the same gas again, without blanks, the laboratory closed', async () => {
    // 1024 x 768: the laboratory lies beneath the gas, so the picture keeps its size.
    const size = { width: 1024, height: 768 };
    const { page, problems } = await openPage(session, size);
    await page.click('#runSImulation');
    await readoutChanges(page, 'Label2', '');
    await frames(page, 10);
    await page.click('#cmd_stop_simulation');
    // Typed after the run: the link is of the gas on screen, not of the fields.
    await page.click('#txt_how_many_0', { count: 3 });
    await page.keyboard.type('7');
    await page.click('#copyLink');
    await page.waitForFunction(() => (document.getElementById('linkNote')?.textContent ?? '') !== '');
    const note = await text(page, 'linkNote');
    const link = await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.link());
    assert.ok(note.endsWith(link), `${note} shows ${link}`);
    const ticks = await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.ticks());
    const shown = await countPicture(page);
    const query = new URL(link).searchParams;
    assert.equal(query.get('counts'), '32,8,2,1');
    assert.equal(query.get('masses'), '1,4,16,64');
    assert.match(query.get('seed') ?? '', /^\d+$/);
    assert.match(query.get('draws') ?? '', /^\d+$/);
    assert.equal(query.has('rule') || query.has('warmup'), false, 'the laboratory was closed');
    assert.ok(!/\+|%20/.test(new URL(link).search), `no blanks: ${link}`);

    // The link opens another tab on the same gas, running, the laboratory closed.
    const other = await openPage(session, size, `${new URL(link).search}&test`);
    await readoutChanges(other.page, 'Label2', '');
    assert.equal(await other.page.$eval('#lab', (e) => (e as HTMLElement).hidden), true, 'the laboratory stays closed');
    // Replayed to the same tick on a fresh picture: the other tab has been drawing its own
    // ticks already, and a new run paints over what is there rather than clearing it.
    const fresh = await openPage(session, size);
    const again = await replayed(fresh.page, link, ticks);
    assert.equal(again.sum, shown.sum, 'the same discs on the same pixels');
    assert.equal(again.green, shown.green);
    assert.deepEqual([...problems, ...other.problems, ...fresh.problems], []);
    await fresh.page.close();
    await other.page.close();
    await page.close();
  });

  test('with the laboratory open the link names its rule and warm-up and opens it again', async () => {
    const { page, problems } = await openPage(session, { width: 1024, height: 768 });
    await page.click('#runSImulation');
    await page.click('#openLab');
    await page.waitForSelector('#lab:not([hidden])');
    await page.click('#ruleExact');
    const link = await page.evaluate(() => (window as unknown as { KineticModel: Api }).KineticModel.link());
    const query = new URL(link).searchParams;
    assert.equal(query.get('rule'), 'exact');
    assert.match(query.get('warmup') ?? '', /^\d+$/);
    const other = await openPage(session, { width: 1024, height: 768 }, `${new URL(link).search}&test`);
    await other.page.waitForSelector('#lab:not([hidden])');
    assert.equal(await other.page.$eval('#ruleExact', (e) => (e as HTMLInputElement).checked), true);
    assert.deepEqual([...problems, ...other.problems], []);
    await other.page.close();
    await page.close();
  });
});
