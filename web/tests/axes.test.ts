// SPDX-License-Identifier: GPL-3.0-or-later
// The charts' axes in headless Chromium: every text the charts draw is recorded as drawn
// (its box from the canvas's own text metrics), and on every tab at 360, 768 and 1280 px no
// tick label lies outside its chart, touches an axis title or another tick label; an axis that
// counts species shows whole numbers only; the saved pictures keep every label.

import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import type { Page } from 'puppeteer-core';
import { openPage, startSession, type Session } from './browser';

let session: Session;
before(async () => {
  session = await startSession();
});
after(async () => session?.close());

interface Drawn { text: string; left: number; top: number; right: number; bottom: number }

// Records each canvas's texts since its last full clear, in canvas pixels.
function recordTexts(): void {
  const texts = new WeakMap<HTMLCanvasElement, Drawn[]>();
  const proto = CanvasRenderingContext2D.prototype;
  const clear = proto.clearRect, fill = proto.fillText;
  proto.clearRect = function (x: number, y: number, w: number, h: number) {
    if (x <= 0 && y <= 0 && w >= this.canvas.width && h >= this.canvas.height) texts.set(this.canvas, []);
    clear.call(this, x, y, w, h);
  };
  proto.fillText = function (text: string, x: number, y: number, maxWidth?: number) {
    const m = this.measureText(text);
    const t = this.getTransform();
    const corners = [
      [x - m.actualBoundingBoxLeft, y - m.actualBoundingBoxAscent],
      [x + m.actualBoundingBoxRight, y - m.actualBoundingBoxAscent],
      [x - m.actualBoundingBoxLeft, y + m.actualBoundingBoxDescent],
      [x + m.actualBoundingBoxRight, y + m.actualBoundingBoxDescent],
    ].map(([a, b]) => [t.a * (a as number) + t.c * (b as number) + t.e, t.b * (a as number) + t.d * (b as number) + t.f]);
    const xs = corners.map((c) => c[0] as number), ys = corners.map((c) => c[1] as number);
    const list = texts.get(this.canvas) ?? [];
    list.push({ text, left: Math.min(...xs), right: Math.max(...xs), top: Math.min(...ys), bottom: Math.max(...ys) });
    texts.set(this.canvas, list);
    if (maxWidth === undefined) fill.call(this, text, x, y);
    else fill.call(this, text, x, y, maxWidth);
  };
  (window as unknown as { drawnTexts: (c: HTMLCanvasElement) => Drawn[] }).drawnTexts = (c) => texts.get(c) ?? [];
}

interface ChartCheck { id: string; titles: string[]; ticks: Drawn[]; width: number; height: number }

// The texts of each chart of the tab shown, in CSS px of its canvas, titles apart from ticks.
async function chartTexts(page: Page, tab: number): Promise<ChartCheck[]> {
  return page.evaluate((t) => {
    const w = window as unknown as {
      drawnTexts: (c: HTMLCanvasElement) => Drawn[];
      kineticPage: { tabJson(tab: number, q: number): string };
    };
    const described = JSON.parse(w.kineticPage.tabJson(t, 0)) as {
      charts: { id: string; xTitle: string; yTitle: string; y2Title: string; marks: { what: string }[] }[];
    };
    const canvases = [...document.querySelectorAll<HTMLCanvasElement>('#charts .uplot canvas')];
    return canvases.map((canvas, k) => {
      const d = described.charts[k] as (typeof described.charts)[number];
      const titles = [d.xTitle, d.yTitle, d.y2Title].filter((x) => x);
      const marks = new Set(d.marks.map((m) => m.what));
      const r = devicePixelRatio;
      const all = w.drawnTexts(canvas).map((x) => ({ text: x.text, left: x.left / r, right: x.right / r, top: x.top / r, bottom: x.bottom / r }));
      return {
        id: d.id,
        titles: all.filter((x) => titles.includes(x.text)).map((x) => JSON.stringify(x)),
        ticks: all.filter((x) => !titles.includes(x.text) && !marks.has(x.text) && x.text.trim() !== ''),
        width: canvas.width / r,
        height: canvas.height / r,
      };
    });
  }, tab);
}

function overlaps(a: Drawn, b: Drawn, gap = 1): boolean {
  return a.left < b.right + gap && b.left < a.right + gap && a.top < b.bottom + gap && b.top < a.bottom + gap;
}

describe('the charts\' axes', () => {
  for (const width of [360, 768, 1280]) {
    test(`at ${width} px no tick label is cut, touches an axis title or another label, on any tab`, async () => {
      const size = width < 700 ? { width, height: 740, deviceScaleFactor: 2, isMobile: true, hasTouch: true } : { width, height: 800 };
      const { page, problems } = await openPage(session, size, '?test');
      await page.evaluate(recordTexts);
      // A gas measured for a while, so that every chart has data and its ranges are wide.
      await page.evaluate(async () => {
        const km = (window as unknown as { KineticModel: { setup(o: object): void; step(n: number): Promise<number> } }).KineticModel;
        km.setup({ counts: [200, 20, 4, 1], seed: 5, warmup: 50 });
        await km.step(1200);
      });
      const faults: string[] = [];
      for (let tab = 0; tab < 8; ++tab) {
        await page.click(`#labTab${tab}`);
        await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
        for (const chart of await chartTexts(page, tab)) {
          const titles = chart.titles.map((t) => JSON.parse(t) as Drawn);
          if (chart.ticks.length === 0 && tab !== 7) faults.push(`${chart.id}: no tick labels drawn`);
          for (const t of [...chart.ticks, ...titles])
            if (t.left < -0.5 || t.top < -0.5 || t.right > chart.width + 0.5 || t.bottom > chart.height + 0.5)
              faults.push(`${chart.id}: "${t.text}" cut at ${JSON.stringify(t)} in ${chart.width}x${chart.height}`);
          for (const t of chart.ticks) {
            for (const title of titles) if (overlaps(t, title)) faults.push(`${chart.id}: "${t.text}" touches the title "${title.text}"`);
            for (const u of chart.ticks) if (u !== t && overlaps(t, u, 0)) faults.push(`${chart.id}: "${t.text}" overlaps "${u.text}"`);
          }
          if (chart.id === 'equipartition') {
            const bottom = chart.ticks.filter((t) => t.top > chart.height * 0.6 && /^[\d.,-]+$/.test(t.text) && t.left > 30);
            const xs = bottom.map((t) => t.text);
            assert.ok(xs.length >= 2, `species ticks: ${xs.join(' ')}`);
            for (const x of xs) assert.match(x, /^\d+$/, `a whole number of species: ${xs.join(' ')}`);
          }
        }
      }
      assert.deepEqual([...new Set(faults)], []);
      assert.deepEqual(problems, []);
      await page.close();
    });
  }

  test('a range narrower than its values\' last digits, or reversed, is drawn and the page goes on', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#openLab');
    await page.waitForSelector('#lab:not([hidden])');
    await page.evaluate(async () => {
      const km = (window as unknown as { KineticModel: { setup(o: object): void; step(n: number): Promise<number> } }).KineticModel;
      km.setup({ warmup: 0 });
      await km.step(200);
    });
    for (const [low, high] of [[952576, 952576 + 1e-10], [3e12, 3e12 * (1 + 1e-15)], [5, -5]]) {
      await page.evaluate((lo, hi) => {
        const w = window as unknown as { kineticPage: { tabJson(t: number, q: number): string } };
        const real = w.kineticPage.tabJson.bind(w.kineticPage);
        w.kineticPage.tabJson = (t: number, q: number) => {
          const tab = JSON.parse(real(t, q)) as { charts: { xMin: number | null; xMax: number | null; series: { x: number[] }[] }[] };
          for (const c of tab.charts) {
            c.xMin = lo;
            c.xMax = hi;
            for (const s of c.series) s.x = s.x.map((_, k) => lo + ((hi - lo) * k) / Math.max(1, s.x.length - 1));
          }
          return JSON.stringify(tab);
        };
      }, low as number, high as number);
      await page.click('#labTab1');
      await page.click('#labTab0');
      const answered = await Promise.race([
        page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => done('drawn'))))),
        new Promise((done) => setTimeout(() => done('hung'), 10000)),
      ]);
      assert.equal(answered, 'drawn', `x from ${low} to ${high}`);
      assert.ok((await page.$$('#charts .uplot canvas')).length > 0);
    }
    assert.deepEqual(problems, []);
    await page.close();
  });
});
