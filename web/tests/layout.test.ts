// SPDX-License-Identifier: GPL-3.0-or-later
// The page's layout as a class sees it: the gas and the laboratory's charts in view together on
// a wide screen, the box square, a first screen that names the program and explains its
// controls and readouts.

import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import type { Page } from 'puppeteer-core';
import { countPicture, frames, openPage, readoutChanges, screenshotDir, startSession, text, type Session } from './browser';

let session: Session;
before(async () => {
  session = await startSession();
  await mkdir(screenshotDir, { recursive: true });
});
after(async () => session?.close());

interface Box { left: number; top: number; right: number; bottom: number; width: number; height: number }

async function boxes(page: Page, selector: string): Promise<Box[]> {
  return page.$$eval(selector, (all) => all.map((e) => {
    const r = e.getBoundingClientRect();
    return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
  }));
}

function inside(b: Box, width: number, height: number): boolean {
  return b.width > 0 && b.height > 0 && b.left >= -0.5 && b.top >= -0.5 && b.right <= width + 0.5 && b.bottom <= height + 0.5;
}

describe('the layout', () => {
  for (const size of [{ width: 1280, height: 800 }, { width: 1366, height: 768 }, { width: 1920, height: 1080 }]) {
    test(`at ${size.width} x ${size.height} a link shows the gas, the main controls and every chart of each tab at once`, async () => {
      const { page, problems } = await openPage(session, size, '?test&counts=32,8,2,1&seed=7&warmup=100');
      await page.waitForSelector('#lab:not([hidden])');
      await readoutChanges(page, 'Label2', '');
      for (let tab = 0; tab < 8; ++tab) {
        await page.click(`#labTab${tab}`);
        await frames(page, 4);
        const [picture] = await boxes(page, '#Picture1');
        assert.ok(picture && inside(picture, size.width, size.height), `picture ${JSON.stringify(picture)}`);
        assert.ok(picture.width >= 400, `a picture of some size: ${picture.width}`);
        for (const id of ['#runSImulation', '#cmd_stop_simulation', '#Command2'])
          assert.ok(inside((await boxes(page, id))[0] as Box, size.width, size.height), `${id} in view`);
        const charts = await boxes(page, '#charts .chart-area');
        assert.ok(charts.length > 0, `tab ${tab} has charts`);
        for (const c of charts) assert.ok(inside(c, size.width, size.height) && c.height >= 100, `tab ${tab}: chart ${JSON.stringify(c)}`);
      }
      if (size.width === 1280) await page.screenshot({ path: join(screenshotDir, 'lab-beside-1280x800.png') });
      assert.equal(await page.evaluate(() => scrollY), 0, 'nothing scrolled');
      assert.deepEqual(problems, []);
      await page.close();
    });
  }

  for (const size of [
    { width: 1280, height: 800 },
    { width: 768, height: 1024, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
    { width: 360, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
  ]) {
    test(`at ${size.width} x ${size.height} the box is square and round discs are drawn round`, async () => {
      const { page, problems } = await openPage(session, size);
      const [picture] = await boxes(page, '#Picture1');
      assert.ok(picture, 'a picture');
      assert.ok(Math.abs(picture.width - picture.height) <= 0.5, `square: ${JSON.stringify(picture)}`);
      const pixels = await countPicture(page);
      assert.equal(pixels.width, pixels.height, 'square in device pixels too');
      // The picture takes the width where the screen is upright.
      if (size.width < size.height) assert.ok(picture.width >= size.width - 40, `across the screen: ${picture.width}`);
      // One disc alone, parked at rest at the centre by a tick: as many pixels across its
      // centre lines as down them.
      const extent = await page.evaluate(() => {
        const km = (window as unknown as { KineticModel: { setup(o: object): void; step(n: number): unknown } }).KineticModel;
        km.setup({ counts: [1, 0, 0, 0], radius: 100, proximity: 1 });
        km.step(1);
        const canvas = document.getElementById('Picture1') as HTMLCanvasElement;
        return new Promise<{ across: number; down: number }>((done) => requestAnimationFrame(() => {
          const data = (canvas.getContext('2d') as CanvasRenderingContext2D).getImageData(0, 0, canvas.width, canvas.height).data;
          const w = canvas.width, h = canvas.height, cx = Math.floor(w / 2), cy = Math.floor(h / 2);
          const lit = (x: number, y: number) => {
            const i = 4 * (y * w + x);
            return x >= 0 && y >= 0 && x < w && y < h && (data[i] as number) + (data[i + 1] as number) + (data[i + 2] as number) > 0;
          };
          // The lit run from the centre each way; the trail leaves on one side only, so the
          // shorter of two opposite runs is the disc's own.
          const run = (dx: number, dy: number) => {
            let k = 0;
            while (lit(cx + dx * (k + 1), cy + dy * (k + 1))) ++k;
            return k;
          };
          done({ across: 2 * Math.min(run(1, 0), run(-1, 0)), down: 2 * Math.min(run(0, 1), run(0, -1)) });
        }));
      });
      assert.ok(extent.across > 20, JSON.stringify(extent));
      assert.ok(Math.abs(extent.across - extent.down) <= 2, `a round disc: ${JSON.stringify(extent)}`);
      assert.deepEqual(problems, []);
      await page.close();
    });
  }

  test('the first screen names the program, says what to press and explains each readout and setting', async () => {
    const { page, problems } = await openPage(session);
    assert.equal(await text(page, 'heading'), 'Kinetic Model');
    assert.match(await text(page, 'intro'), /Run Simulation/);
    const body = async () => page.evaluate(() => document.body.innerText);
    assert.ok(!(await body()).includes('Label1'), 'no placeholder before a run');
    await page.click('#runSImulation');
    await readoutChanges(page, 'Label2', '');
    assert.ok(!(await body()).includes('Label1'), 'no placeholder after a run');
    assert.match(await text(page, 'Label1'), /^\d\d:\d\d:\d\d$/);
    assert.equal(await text(page, 'timeCaption'), 'time of day');
    assert.match(await text(page, 'Label2Unit'), /Σ m·vx²/);
    assert.match(await text(page, 'Label3Unit'), /Σ m·vy²/);
    assert.match(await text(page, 'Label7Unit'), /disc 1/);
    // Each readout is described by its units, for a screen reader too.
    for (const id of ['Label1', 'Label2', 'Label3', 'Label7']) {
      const node = await page.$(`#${id}`);
      const described = await page.$eval(`#${id}`, (e) => e.getAttribute('aria-describedby'));
      assert.ok(node && described === `${id}Unit`, id);
    }
    // Every setting explains itself on focus, in the hint line, and on hover, as its tooltip.
    for (const id of ['txtProximity', 'txtParticleRad', 'txtVelRange', 'txt_masses_0', 'txt_how_many_2']) {
      await page.focus(`#${id}`);
      const hint = await text(page, 'hint');
      assert.ok(hint.length > 20, `${id}: ${hint}`);
      assert.equal(await page.$eval(`#${id}`, (e) => e.getAttribute('title')), hint);
    }
    assert.match(await text(page, 'hint'), /discs of this species/);
    await page.hover('#txtProximity');
    assert.match(await text(page, 'hint'), /collide/);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('screen readers hear the readouts together at most every five seconds, not every frame', async () => {
    const { page, problems } = await openPage(session);
    const live = await page.$$eval('#controls [aria-live]', (all) => all.map((e) => `${e.id}=${e.getAttribute('aria-live')}`));
    for (const id of ['Label1', 'Label2', 'Label3', 'Label7', 'pace']) assert.ok(live.includes(`${id}=off`), `${id} in ${live.join(' ')}`);
    assert.ok(live.includes('readoutNews=polite'), live.join(' '));
    await page.evaluate(() => {
      const w = window as unknown as { news: { at: number; text: string }[] };
      w.news = [];
      const region = document.getElementById('readoutNews') as HTMLElement;
      new MutationObserver(() => w.news.push({ at: performance.now(), text: region.textContent ?? '' }))
        .observe(region, { childList: true, characterData: true, subtree: true });
    });
    await page.click('#runSImulation');
    await new Promise((done) => setTimeout(done, 7000));
    const news = await page.evaluate(() => (window as unknown as { news: { at: number; text: string }[] }).news);
    const readoutChanges = await page.evaluate(() => document.getElementById('Label2')?.textContent);
    assert.ok(readoutChanges, 'the readouts run');
    assert.ok(news.length >= 1 && news.length <= 2, `announced ${news.length} times: ${JSON.stringify(news)}`);
    for (let k = 1; k < news.length; ++k)
      assert.ok((news[k] as { at: number }).at - (news[k - 1] as { at: number }).at >= 4900, JSON.stringify(news));
    assert.match((news[0] as { text: string }).text, /^time of day \d\d:\d\d:\d\d, speed \d+, KE_x \d+, KE_y \d+/);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('on a touch screen every control is a finger wide, and a refusal is written beside its field', async () => {
    const touch = { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
    const { page, problems } = await openPage(session, touch);
    await page.click('#openLab');
    await page.waitForSelector('#lab:not([hidden])');
    for (const tab of [0, 7]) {
      await page.click(`#labTab${tab}`);
      const small = await page.$$eval('button, input, select, [role="tab"]', (all) =>
        all
          .filter((e) => (e as HTMLElement).offsetParent !== null || (e as HTMLInputElement).type === 'color')
          .map((e) => ({ id: e.id || e.getAttribute('name') || e.tagName, r: e.getBoundingClientRect() }))
          .filter(({ r }) => r.width > 0 && Math.min(r.width, r.height) < 44)
          .map(({ id, r }) => `${id} ${Math.round(r.width)}x${Math.round(r.height)}`));
      assert.deepEqual(small, [], `tab ${tab}: controls under 44 px`);
    }
    // A refusal as text beneath its field while it is marked, gone once mended.
    await page.click('#closeLab');
    await page.click('#txt_how_many_1', { count: 3 });
    await page.keyboard.type('x');
    const refusal = await page.$eval('#speciesRefusals', (e) => ({ hidden: (e as HTMLElement).hidden, text: e.textContent ?? '', top: e.getBoundingClientRect().top }));
    const field = await page.$eval('#txt_how_many_1', (e) => ({ title: e.getAttribute('title') ?? '', bottom: e.getBoundingClientRect().bottom }));
    assert.equal(refusal.hidden, false);
    assert.ok(field.title.length > 0 && refusal.text.includes(field.title.split('\n')[0] as string), `${refusal.text} / ${field.title}`);
    assert.match(refusal.text, /^mass # 2, how many\?: /);
    assert.ok(refusal.top >= field.bottom && refusal.top - field.bottom < 200, 'beneath the rows');
    await page.keyboard.press('Backspace');
    await page.keyboard.type('8');
    assert.equal(await page.$eval('#speciesRefusals', (e) => (e as HTMLElement).hidden), true);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('on a 360 x 640 phone pause and restart stay in view beside the running gas', async () => {
    const { page, problems } = await openPage(session, { width: 360, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
    await page.tap('#runSImulation');
    await readoutChanges(page, 'Label2', '');
    await page.evaluate(() => scrollTo(0, 0));
    for (const id of ['#Picture1', '#cmd_stop_simulation', '#Command2']) {
      const [b] = await boxes(page, id);
      assert.ok(b && b.top >= 0 && b.bottom <= 640 + 0.5, `${id} in view: ${JSON.stringify(b)}`);
    }
    await page.tap('#cmd_stop_simulation');
    await frames(page, 2);
    const paused = await text(page, 'Label2');
    await frames(page, 5);
    assert.equal(await text(page, 'Label2'), paused, 'paused by a tap at the foot of the screen');
    await page.tap('#Command2');
    await readoutChanges(page, 'Label2', paused);
    assert.deepEqual(problems, []);
    await page.close();
  });
});
