// SPDX-License-Identifier: GPL-3.0-or-later
// Random clicks and keystrokes over every control, from fixed seeds (KM_MONKEY_SEED replays
// one, KM_MONKEY_ACTIONS sets the length): no uncaught exception, no console error, every
// field marked exactly when the engine refuses it, and afterwards the gas still runs.

import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { countPicture, frames, openPage, readoutChanges, retype, startSession, text, type Session } from './browser';

let session: Session;
before(async () => {
  session = await startSession();
});
after(async () => session?.close());

// A small fixed generator (mulberry32), so a seed replays the same actions.
function generator(seed: number): () => number {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

const seeds = process.env['KM_MONKEY_SEED'] ? [Number(process.env['KM_MONKEY_SEED'])] : [1, 2];
const actions = Number(process.env['KM_MONKEY_ACTIONS'] ?? 1500);
const keys = ['Backspace', 'Delete', 'ArrowLeft', 'ArrowRight', 'Home', 'End', 'Tab', 'Enter', ' ', 'Escape'];
const typed = '0123456789..--eE+ x,1e999';

for (const seed of seeds) {
  test(`seed ${seed}: ${actions} random actions leave the page whole and the gas running`, async () => {
    const { page, problems } = await openPage(session, { width: 1024, height: 768 });
    const random = generator(seed);
    const pick = <T>(list: readonly T[]): T => list[Math.floor(random() * list.length)] as T;
    const controls = await page.$$eval('#controls button, #controls input', (all) => all.map((e) => e.id));
    const fields = controls.filter((id) => id.startsWith('txt'));
    for (let k = 0; k < actions; ++k) {
      // A message box open takes every action first, as a modal box does.
      if (await page.$('#message[open]')) {
        if (random() < 0.5) await page.click('#messageOk');
        else await page.keyboard.press(pick(['Escape', 'Enter']));
        continue;
      }
      const r = random();
      const id = pick(controls);
      if (id.endsWith('_input')) {
        const colour = `#${Math.floor(random() * 0xffffff).toString(16).padStart(6, '0')}`;
        await page.$eval(`#${id}`, (e, c) => {
          (e as HTMLInputElement).value = c;
          e.dispatchEvent(new Event('change', { bubbles: true }));
        }, colour);
      } else if (r < 0.35) {
        await page.click(`#${id}`);
      } else if (r < 0.75) {
        await page.focus(`#${pick(fields)}`);
        await page.keyboard.type(pick([...typed]));
      } else {
        await page.keyboard.press(pick(keys) as 'Enter');
      }
      if (k % 100 === 99) {
        // Every field is marked exactly when the engine has a reason to refuse it.
        const wrong = await page.evaluate(() => {
          const engine = (window as unknown as { kineticPage: { fieldProblem(n: string): string } }).kineticPage;
          return [...document.querySelectorAll('input.field')]
            .filter((e) => (e.getAttribute('aria-invalid') === 'true') !== (engine.fieldProblem(e.id) !== ''))
            .map((e) => e.id);
        });
        assert.deepEqual(wrong, [], `after ${k + 1} actions`);
      }
    }
    if (await page.$('#message[open]')) await page.click('#messageOk');
    // The defaults typed back, a new run: the gas moves.
    const defaults: Record<string, string> = {
      txt_how_many_0: '32', txt_how_many_1: '8', txt_how_many_2: '2', txt_how_many_3: '1',
      txt_masses_0: '1', txt_masses_1: '4', txt_masses_2: '16', txt_masses_3: '64',
      txtParticleRad: '12', txtProximity: '24', txtVelRange: '20',
    };
    for (const [id, value] of Object.entries(defaults)) await retype(page, id, value);
    await page.click('#runSImulation');
    assert.equal(await page.$('#message[open]'), null, 'the defaults run');
    const before = await countPicture(page);
    const time = await text(page, 'Label2');
    await readoutChanges(page, 'Label2', time);
    await frames(page, 5);
    assert.notEqual((await countPicture(page)).sum, before.sum);
    assert.deepEqual(problems, []);
    await page.close();
  });
}

// The laboratory's controls too: its tabs, pace, Step, rule, experiments, warm-up, exports and
// the sweep's fields, among the page's. A sweep is not started (it would take the cores for
// minutes) and no file is picked (a dialog); everything else is fair game.
for (const seed of seeds) {
  test(`seed ${seed}: ${actions} random actions with the laboratory open leave the page whole and the gas running`, async () => {
    const { page, problems } = await openPage(session, { width: 1280, height: 800 }, '?test&counts=100,10,0,0&seed=9&warmup=50');
    const random = generator(seed + 1000);
    const pick = <T>(list: readonly T[]): T => list[Math.floor(random() * list.length)] as T;
    const clickable = await page.$$eval('#controls button, #lab button, #lab [role=tab], #lab input[type=radio]', (all) =>
      all.map((e) => e.id).filter((id) => id && id !== 'runSweep' && id !== 'loadSweep'));
    const fields = await page.$$eval('#controls input.field, #lab input.field', (all) => all.map((e) => e.id));
    const selects = await page.$$eval('#lab select', (all) => all.map((e) => e.id));
    for (let k = 0; k < actions; ++k) {
      if (await page.$('#message[open]')) {
        if (random() < 0.5) await page.click('#messageOk');
        else await page.keyboard.press(pick(['Escape', 'Enter']));
        continue;
      }
      // Closed, the laboratory is opened again most of the time.
      if (await page.$eval('#lab', (e) => (e as HTMLElement).hidden)) {
        if (random() < 0.8) await page.click('#openLab');
        continue;
      }
      const r = random();
      if (r < 0.4) {
        const id = pick(clickable);
        const shown = await page.$eval(`#${id}`, (e) => (e as HTMLElement).offsetParent !== null && !(e as HTMLButtonElement).disabled);
        if (shown) await page.click(`#${id}`);
      } else if (r < 0.55) {
        const id = pick(selects);
        await page.$eval(`#${id}`, (e, choice) => {
          const select = e as HTMLSelectElement;
          if (select.options.length === 0) return;
          select.selectedIndex = Math.floor((choice as number) * select.options.length);
          select.dispatchEvent(new Event('change', { bubbles: true }));
        }, random());
      } else if (r < 0.85) {
        const id = pick(fields);
        if (await page.$eval(`#${id}`, (e) => (e as HTMLElement).offsetParent !== null)) {
          await page.focus(`#${id}`);
          await page.keyboard.type(pick([...typed]));
        }
      } else {
        await page.keyboard.press(pick([...keys, 'ArrowLeft', 'ArrowRight']) as 'Enter');
      }
      if (k % 100 === 99) {
        // The laboratory's fields are marked exactly when the engine refuses them.
        const wrong = await page.evaluate(() => {
          const engine = (window as unknown as { kineticPage: { heatFactorProblem(t: string): string; warmupProblem(t: string): string } }).kineticPage;
          const factor = document.getElementById('heatFactor') as HTMLInputElement;
          const warmup = document.getElementById('warmup') as HTMLInputElement;
          const out: string[] = [];
          if ((factor.getAttribute('aria-invalid') === 'true') !== (engine.heatFactorProblem(factor.value) !== '')) out.push('heatFactor');
          if ((warmup.getAttribute('aria-invalid') === 'true') !== (engine.warmupProblem(warmup.value) !== '')) out.push('warmup');
          return out;
        });
        assert.deepEqual(wrong, [], `after ${k + 1} actions`);
      }
    }
    if (await page.$('#message[open]')) await page.click('#messageOk');
    // A setup by name and run at full speed (the pace outlasts a setup, as it outlasts a run):
    // the gas moves and the laboratory measures it.
    const ticks = await page.evaluate(async () => {
      const km = (window as unknown as { KineticModel: { setup(o: object): void; run(): void; ticks(): number } }).KineticModel;
      km.setup({ seed: 1 });
      const pace = document.getElementById('labPace') as HTMLSelectElement;
      pace.value = '0';
      pace.dispatchEvent(new Event('change', { bubbles: true }));
      km.run();
      await new Promise((done) => setTimeout(done, 500));
      return km.ticks();
    });
    assert.ok(ticks > 50, `the gas runs: ${ticks} ticks`);
    assert.deepEqual(problems, []);
    await page.close();
  });
}
