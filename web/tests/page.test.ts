// SPDX-License-Identifier: GPL-3.0-or-later
// The page in headless Chromium: loading, the gas drawn, pause and restart, refusals and
// run-time errors with the desktop's messages, keyboard use, layouts, pace, the golden run.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdir } from 'node:fs/promises';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import type { Page } from 'puppeteer-core';
import {
  countPicture, frames, openPage, readoutChanges, retype, screenshotDir, startSession, text,
  type Session,
} from './browser';

let session: Session;
before(async () => {
  session = await startSession();
  await mkdir(screenshotDir, { recursive: true });
});
after(async () => session?.close());

async function messageShown(page: Page): Promise<string> {
  await page.waitForSelector('#message[open]', { timeout: 5000 });
  return text(page, 'messageText');
}

async function closeMessage(page: Page): Promise<void> {
  await page.click('#messageOk');
  await page.waitForSelector('#message:not([open])');
}

describe('the page', () => {
  test('loads whole, with the desktop window\'s captions and texts and nothing from elsewhere', async () => {
    const { page, problems } = await openPage(session);
    assert.equal(await page.title(), 'Kinetic Model (monatomic)');
    assert.equal(await text(page, 'runSImulation'), 'Run Simulation');
    assert.equal(await text(page, 'cmd_stop_simulation'), 'pause');
    assert.equal(await text(page, 'Command2'), 'restart');
    assert.equal(await text(page, 'lbl_mass_id_0'), 'mass # 1');
    assert.equal(await text(page, 'lbl_how_many_m_3'), 'how many?');
    assert.equal(await text(page, 'lblProximity'), 'coll prox');
    assert.equal(await text(page, 'Label4'), 'KE_x:');
    assert.equal(await text(page, 'Label1'), '', 'no placeholder where the time goes');
    const values = await page.$$eval('input.field', (inputs) =>
      inputs.map((i) => `${i.id}=${(i as HTMLInputElement).value}`));
    for (const v of ['txt_masses_2= 16', 'txt_how_many_0= 32', 'txt_how_many_3=1', 'txtParticleRad=12', 'txtProximity=24', 'txtVelRange=20'])
      assert.ok(values.includes(v), `${v} in ${values.join(', ')}`);
    const picture = await countPicture(page);
    assert.equal(picture.black, picture.width * picture.height, 'a black box before the first run');
    await frames(page, 5);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('"Run Simulation" draws coloured discs on black; pause freezes the picture; restart goes on', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#runSImulation');
    await readoutChanges(page, 'Label2', '');
    await frames(page, 10);
    const running = await countPicture(page);
    const area = running.width * running.height;
    assert.ok(running.black > area * 0.8, `mostly black: ${JSON.stringify(running)}`);
    assert.ok(running.green > 32 * 50, `green discs: ${running.green}`);
    assert.ok(running.blue > 8 * 50 && running.cyan > 2 * 50 && running.red > 50, JSON.stringify(running));
    assert.match(await text(page, 'Label1'), /^\d\d:\d\d:\d\d$/);

    await page.click('#cmd_stop_simulation');
    await frames(page, 2);
    const paused = await countPicture(page);
    const time = await text(page, 'Label2');
    await new Promise((done) => setTimeout(done, 400));
    await frames(page, 5);
    assert.equal((await countPicture(page)).sum, paused.sum, 'the picture is frozen');
    assert.equal(await text(page, 'Label2'), time);
    assert.equal(await text(page, 'pace'), '');

    await page.click('#Command2');
    await frames(page, 10);
    assert.notEqual((await countPicture(page)).sum, paused.sum, 'restart goes on');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('runs about a thousand ticks a second, as the desktop\'s 1 ms clock, and shows it', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#runSImulation');
    await new Promise((done) => setTimeout(done, 2500));
    const pace = await text(page, 'pace');
    const ticks = Number(pace.split(' ')[0]);
    assert.match(pace, /^\d+ ticks a second/);
    assert.ok(ticks > 700 && ticks < 1100, pace);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a letter in a count is marked as the desktop marks it and "Run Simulation" refuses it', async () => {
    const { page, problems } = await openPage(session);
    await retype(page, 'txt_how_many_0', '3x');
    const reason = 'The count of species 1 is "3x"; it must be a number of 0 or more.';
    const mark = await page.$eval('#txt_how_many_0', (e) => ({
      invalid: e.getAttribute('aria-invalid'),
      title: e.getAttribute('title'),
      colour: getComputedStyle(e).color,
      border: getComputedStyle(e).borderTopColor,
    }));
    assert.deepEqual(mark, { invalid: 'true', title: reason, colour: 'rgb(224, 0, 0)', border: 'rgb(224, 0, 0)' });
    assert.equal(await page.$eval('#txt_how_many_1', (e) => e.getAttribute('aria-invalid')), null);
    await page.click('#runSImulation');
    assert.equal(await messageShown(page), `The simulation cannot start:\n\n\u2022 ${reason}`);
    assert.equal(await text(page, 'messageTitle'), 'Kinetic Model');
    await closeMessage(page);
    assert.equal(await text(page, 'Label1'), '', 'nothing started');

    // An emptied proximity keeps the last number and shows it in grey.
    await retype(page, 'txtProximity', '');
    assert.equal(await page.$eval('#txtProximity', (e) => (e as HTMLInputElement).placeholder), '24');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a run-time error shows the desktop\'s message and the page stays usable', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#runSImulation');
    await readoutChanges(page, 'Label2', '');
    await page.click('#cmd_stop_simulation');
    // Particles 2 and 3 on top of each other, the partner without mass, as the desktop's test.
    await page.evaluate(() => {
      const p = (window as unknown as { kineticPage: { setParticle(...a: number[]): void } }).kineticPage;
      p.setParticle(2, 300, 300, 4);
      p.setParticle(3, 305, 300, 0);
    });
    await page.click('#Command2');
    const message = await messageShown(page);
    assert.ok(message.startsWith('The simulation stopped while running the simulation.\n\nDivision by zero: '), message);
    assert.ok(message.includes('particles 2 and 3'), message);
    assert.ok(message.endsWith('Fix the cause, then press "restart" to go on or "Run Simulation" to start again.'), message);
    await closeMessage(page);
    const stopped = await text(page, 'Label2');
    await frames(page, 10);
    assert.equal(await text(page, 'Label2'), stopped, 'the clock stopped');

    await page.evaluate(() => {
      (window as unknown as { kineticPage: { setParticle(...a: number[]): void } }).kineticPage.setParticle(3, 305, 300, 4);
    });
    await page.click('#Command2');
    await readoutChanges(page, 'Label2', stopped);
    await page.click('#runSImulation');
    await frames(page, 10);
    assert.equal(await page.$('#message[open]'), null);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('every control is reached by Tab, shows its focus, has a name, and works from the keyboard', async () => {
    const { page, problems } = await openPage(session);
    const reached: { id: string; name: string; outline: string }[] = [];
    await page.focus('body');
    for (let k = 0; k < 30; ++k) {
      await page.keyboard.press('Tab');
      const focused = await page.evaluate(() => {
        const e = document.activeElement as HTMLElement | null;
        if (!e || e === document.body) return null;
        const shown = e.matches('.colour input') ? (e.parentElement as HTMLElement) : e;
        const style = getComputedStyle(shown);
        return { id: e.id, outline: `${style.outlineStyle} ${style.outlineWidth}` };
      });
      if (!focused || reached.some((r) => r.id === focused.id)) break;
      const node = await page.$(`#${focused.id}`);
      const name = (await page.accessibility.snapshot({ root: node!, interestingOnly: false }))?.name ?? '';
      reached.push({ ...focused, name });
    }
    const ids = reached.map((r) => r.id);
    const controls = await page.$$eval('#controls button, #controls input', (all) => all.map((e) => e.id));
    assert.deepEqual([...ids].sort(), [...controls].sort(), `Tab reached ${ids.join(', ')}`);
    for (const r of reached) {
      assert.ok(r.name.trim().length > 0, `${r.id} has no accessible name`);
      assert.notEqual(r.outline.split(' ')[0], 'none', `${r.id} shows no focus`);
    }
    assert.equal(reached.find((r) => r.id === 'txt_how_many_1')?.name, 'how many? mass # 2');
    assert.equal(reached.find((r) => r.id === 'cmd_color_2_input')?.name, 'color mass # 3');

    // Run by Enter, pause by Space, restart by Enter, a field retyped: all without the mouse.
    await page.focus('#runSImulation');
    await page.keyboard.press('Enter');
    await readoutChanges(page, 'Label2', '');
    await page.focus('#cmd_stop_simulation');
    await page.keyboard.press('Space');
    await frames(page, 3);
    const paused = await text(page, 'Label2');
    await frames(page, 5);
    assert.equal(await text(page, 'Label2'), paused);
    await page.focus('#Command2');
    await page.keyboard.press('Enter');
    await readoutChanges(page, 'Label2', paused);
    await page.focus('#txtVelRange');
    await page.keyboard.press('End');
    await page.keyboard.type('q');
    assert.equal(await page.$eval('#txtVelRange', (e) => e.getAttribute('aria-invalid')), 'true');
    // The message box takes the focus and gives it back.
    await page.focus('#runSImulation');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#message[open]');
    assert.equal(await page.evaluate(() => document.activeElement?.id), 'messageOk');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#message:not([open])');
    assert.equal(await page.evaluate(() => document.activeElement?.id), 'runSImulation');
    assert.deepEqual(problems, []);
    await page.close();
  });

  for (const size of [
    { width: 1280, height: 800 },
    { width: 1024, height: 768 },
    { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  ]) {
    test(`lays out at ${size.width} x ${size.height}, every control in view, the picture sharp`, async () => {
      const { page, problems } = await openPage(session, size);
      await page.click('#runSImulation');
      await readoutChanges(page, 'Label2', '');
      await new Promise((done) => setTimeout(done, 600));
      await page.screenshot({ path: join(screenshotDir, `page-${size.width}x${size.height}.png`), fullPage: true });
      const layout = await page.evaluate(() => {
        const canvas = document.getElementById('Picture1') as HTMLCanvasElement;
        const box = canvas.getBoundingClientRect();
        const outside = [...document.querySelectorAll('#controls button, #controls input, #controls label')]
          .filter((e) => {
            const r = e.getBoundingClientRect();
            return r.width === 0 || r.left < 0 || r.right > document.documentElement.clientWidth + 0.5;
          })
          .map((e) => `${e.id} ${JSON.stringify(e.getBoundingClientRect())}`);
        return {
          outside,
          scrollWidth: document.documentElement.scrollWidth,
          clientWidth: document.documentElement.clientWidth,
          canvas: { width: canvas.width, height: canvas.height, cssWidth: box.width, cssHeight: box.height },
          ratio: devicePixelRatio,
        };
      });
      assert.deepEqual(layout.outside, []);
      assert.ok(layout.scrollWidth <= layout.clientWidth, `no sideways scrolling: ${JSON.stringify(layout)}`);
      const { canvas, ratio } = layout;
      assert.ok(Math.abs(canvas.width - canvas.cssWidth * ratio) <= 1, `device pixels across: ${JSON.stringify(layout)}`);
      assert.ok(Math.abs(canvas.height - canvas.cssHeight * ratio) <= 1, `device pixels down: ${JSON.stringify(layout)}`);
      assert.ok(canvas.cssWidth >= Math.min(360, size.width - 40), `a picture of some size: ${canvas.cssWidth}`);
      assert.deepEqual(problems, []);
      await page.close();
    });
  }

  test('says so in words when the engine cannot be loaded', async () => {
    const page = await session.browser.newPage();
    await page.setRequestInterception(true);
    page.on('request', (r) => (r.url().endsWith('.wasm') ? r.respond({ status: 404, body: 'gone' }) : r.continue()));
    await page.goto(session.serving.url, { waitUntil: 'load' });
    await page.waitForSelector('#loadError:not([hidden])', { timeout: 15000 });
    const shown = await text(page, 'loadError');
    assert.ok(shown.startsWith('The simulation could not be loaded: '), shown);
    assert.equal(await page.$eval('#controls', (e) => (e as HTMLElement).hidden), true);
    assert.equal(await page.$eval('#loading', (e) => (e as HTMLElement).hidden), true);
    await page.close();
  });

  test('computes the golden run bit for bit as the native build does', async () => {
    const program = process.env['KM_GOLDEN_CHECKSUM'];
    assert.ok(program, 'KM_GOLDEN_CHECKSUM must name the native golden_checksum program');
    const native = execFileSync(program, { encoding: 'utf8' }).trim();
    const { page, problems } = await openPage(session);
    const wasm = await page.evaluate(() =>
      (window as unknown as { kineticModule: { goldenChecksum(): string } }).kineticModule.goldenChecksum());
    assert.equal(wasm, native);
    assert.equal(native, '639525eaa9a84ac0');
    assert.deepEqual(problems, []);
    await page.close();
  });
});
