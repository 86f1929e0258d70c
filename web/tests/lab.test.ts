// SPDX-License-Identifier: GPL-3.0-or-later
// The laboratory in the page: measure() against kinetic-measure, the tabs' charts, the
// exports' columns, a setup by link, the keyboard, the layouts with the laboratory open, and
// the sweep in its worker.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdir, mkdtemp, readdir, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import type { Page } from 'puppeteer-core';
import { frames, openPage, retype, screenshotDir, startSession, text, type Session } from './browser';

let session: Session;
before(async () => {
  session = await startSession();
  await mkdir(screenshotDir, { recursive: true });
});
after(async () => session?.close());

interface Measurement {
  key: string;
  value: number | null;
  error: number | null;
  theory: Record<string, number>;
}
interface Report {
  settings: Record<string, unknown>;
  measurements: Measurement[];
}

// Values the dynamics give must be identical; a theory value computed with exp or log may differ
// in its last bits between the two builds' libraries: within 1e-12 relative.
function compareReports(page: Report, native: Report): string[] {
  const differences: string[] = [];
  assert.deepEqual(page.settings, native.settings);
  assert.deepEqual(page.measurements.map((m) => m.key), native.measurements.map((m) => m.key));
  page.measurements.forEach((m, k) => {
    const n = native.measurements[k] as Measurement;
    assert.deepEqual(Object.keys(m), Object.keys(n));
    // A distance from a law, or a scale height, goes through the C library's erf or exp: its
    // last bits may differ as a theory's may; every other value must be identical.
    const library = /^(ks_|scale_height\.)/.test(m.key);
    if (m.value !== n.value && library && typeof m.value === 'number' && typeof n.value === 'number') {
      differences.push(`${m.key} library value: ${m.value} against ${n.value}`);
      assert.ok(Math.abs(m.value - n.value) <= 1e-12 * Math.abs(n.value), `${m.key} value: ${m.value} against ${n.value}`);
    } else if (m.value !== n.value) {
      differences.push(`${m.key} value: ${m.value} against ${n.value}`);
    }
    if (m.error !== n.error) differences.push(`${m.key} error: ${m.error} against ${n.error}`);
    // An error bar may combine relative errors through the C library's hypot: its last bits may
    // differ between the browser and the native program, as a theory's may.
    if (m.error !== n.error && typeof m.error === 'number' && typeof n.error === 'number')
      assert.ok(Math.abs(m.error - n.error) <= 1e-12 * Math.abs(n.error), `${m.key} error: ${m.error} against ${n.error}`);
    assert.deepEqual(Object.keys(m.theory), Object.keys(n.theory), m.key);
    for (const name of Object.keys(m.theory)) {
      const a = m.theory[name] as number, b = n.theory[name] as number;
      if (a === b) continue;
      differences.push(`${m.key} theory ${name}: ${a} against ${b}`);
      assert.ok(Math.abs(a - b) <= 1e-12 * Math.abs(b), `${m.key} theory ${name}: ${a} against ${b}`);
    }
  });
  return differences;
}

async function measureAfter(page: Page, options: Record<string, string>, ticks: number): Promise<Report> {
  return page.evaluate(
    async (o, n) => {
      const km = (window as unknown as { KineticModel: { setup(o: object): void; step(n: number): Promise<number>; measure(): unknown } }).KineticModel;
      km.setup(o);
      await km.step(n);
      return km.measure() as Report;
    },
    options,
    ticks,
  );
}

async function labCharts(page: Page) {
  return page.evaluate(() =>
    (window as unknown as { kineticLab: { chartsNow(): { tab: number; id: string; notice: string; series: { name: string; points: number }[] }[] } }).kineticLab.chartsNow());
}

describe('the laboratory in the page', () => {
  test('measure() after a fixed number of ticks is kinetic-measure --format json for the same settings and seed', async () => {
    const program = process.env['KM_MEASURE'];
    assert.ok(program, 'KM_MEASURE must name the native kinetic-measure program');
    const { page, problems } = await openPage(session);
    const cases = [
      { options: { seed: '5', warmup: '200' }, ticks: 2000 },
      { options: { counts: '150,0,0,0', masses: '1,1,1,1', rule: 'exact', seed: '2', warmup: '100' }, ticks: 1500 },
      { options: { counts: '20,10,5,0', radius: '9', proximity: '20', 'vel-range': '30', seed: '4000000000', warmup: '0' }, ticks: 1000 },
      // The walls: moving, a piston, and two held at a temperature (their draws are written out
      // in plain arithmetic, so the browser draws what the native program draws).
      { options: { counts: '60,0,0,0', masses: '1,1,1,1', seed: '5', warmup: '100', 'move-wall': '700,0.5,50' }, ticks: 600 },
      { options: { counts: '60,0,0,0', masses: '1,1,1,1', rule: 'exact', seed: '3', warmup: '100', 'wall-temperature': '40,-,-,160' }, ticks: 700 },
      { options: { counts: '80,0,0,0', rule: 'exact', seed: '2', warmup: '50', piston: '0.02,500' }, ticks: 600 },
      // A field and a divider, each species on its side.
      { options: { counts: '40,40,0,0', masses: '1,16,1,1', radius: '4', proximity: '8', rule: 'exact', seed: '6', warmup: '100', gravity: '0.01', divider: '60', sides: 'left,right,both,both' }, ticks: 800 },
      { options: { counts: '60,0,0,0', seed: '7', warmup: '100', gravity: '0.02' }, ticks: 600 },
    ];
    for (const c of cases) {
      const inPage = await measureAfter(page, c.options, Number(c.options.warmup) + c.ticks);
      const args = ['--format', 'json', '--ticks', String(c.ticks)];
      for (const [name, value] of Object.entries(c.options)) args.push(`--${name}`, value);
      const native = JSON.parse(execFileSync(program, args, { encoding: 'utf8' })) as Report;
      const differences = compareReports(inPage, native);
      // Every value the dynamics give is identical; any difference is only in the last bits of a
      // theory or an error bar.
      assert.deepEqual(differences.filter((d) => !d.includes(' theory ') && !d.includes(' error: ') && !d.includes(' library ')), [], JSON.stringify(c.options));
      if (differences.length) console.log(`differences within 1e-12 for ${JSON.stringify(c.options)}:\n  ${differences.join('\n  ')}`);
    }
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('two loads of the same link run the same gas; a bad link is refused in words', async () => {
    const query = '?test&counts=60,6,0,0&seed=42&rule=exact&warmup=50';
    const runs: Report[] = [];
    for (let k = 0; k < 2; ++k) {
      const { page, problems } = await openPage(session, { width: 1280, height: 800 }, query);
      const fields = await page.$$eval('input.field', (inputs) => inputs.map((i) => (i as HTMLInputElement).value));
      assert.ok(fields.includes('60') && fields.includes('6'), fields.join(','));
      assert.equal(await page.$eval('#lab', (e) => (e as HTMLElement).hidden), false, 'the laboratory opens');
      assert.equal(await page.$eval('#ruleExact', (e) => (e as HTMLInputElement).checked), true);
      runs.push(await page.evaluate(async () => {
        const km = (window as unknown as { KineticModel: { pause(): void; ticks(): number; step(n: number): Promise<number>; measure(): unknown } }).KineticModel;
        km.pause();
        // The same number of ticks in both: step on from whatever the frames ran.
        await km.step(Math.max(0, 800 - km.ticks()));
        return km.measure() as Report;
      }));
      assert.deepEqual(problems, []);
      await page.close();
    }
    assert.deepEqual(runs[0], runs[1]);

    const { page, problems } = await openPage(session, { width: 1280, height: 800 }, '?test&seed=x&rule=fast');
    await page.waitForSelector('#message[open]', { timeout: 5000 });
    const message = await text(page, 'messageText');
    assert.ok(message.includes('seed must be a whole number from 0 to 4294967295, not "x"'), message);
    assert.ok(message.includes('rule must be "specified" or "exact", not "fast"'), message);
    await page.click('#messageOk');
    await page.click('#runSImulation');
    await frames(page, 5);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a field typed with a backslash or a quote goes into the link whole', async () => {
    const { page, problems } = await openPage(session, { width: 1280, height: 800 }, '?test');
    for (const [id, typed] of [['txtVelRange', '2\\0'], ['txtProximity', '2"4\\']] as const) {
      await page.click(`#${id}`, { clickCount: 3 });
      await page.keyboard.type(typed);
    }
    await page.click('#copyLink');
    await page.waitForFunction(() => (document.getElementById('linkNote')?.textContent ?? '').includes('?'));
    const note = await text(page, 'linkNote');
    const link = new URL(note.slice(note.indexOf('http')));
    assert.equal(link.searchParams.get('vel-range'), '2\\0', note);
    assert.equal(link.searchParams.get('proximity'), '2"4\\', note);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('every tab shows its charts with data; the exports carry the documented columns', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#openLab');
    await page.waitForSelector('#lab:not([hidden])');
    const empty = await labCharts(page);
    assert.ok(empty.every((c) => c.tab === 7 || c.notice.startsWith('No gas yet')), JSON.stringify(empty[0]));
    await page.evaluate(async () => {
      const km = (window as unknown as { KineticModel: { setup(o: object): void; step(n: number): Promise<number>; run(): void } }).KineticModel;
      km.setup({ warmup: 100 });
      await km.step(1500);
      km.run();
    });
    const charts = await labCharts(page);
    for (const tab of [0, 1, 2, 3, 4, 5, 6, 7]) {
      const mine = charts.filter((c) => c.tab === tab);
      assert.ok(mine.length > 0, `tab ${tab} has charts`);
      for (const c of mine) {
        assert.equal(c.notice, '', `${c.id}: ${c.notice}`);
        assert.ok(c.series.some((s) => s.points > 0), `${c.id} shows data`);
      }
    }
    // Each tab drawn on the page, its legend written beneath.
    for (let tab = 0; tab < 8; ++tab) {
      await page.click(`#labTab${tab}`);
      const shown = await page.$$eval('#charts .chart', (all) => all.map((c) => ({
        canvas: c.querySelector('canvas') !== null,
        legend: (c.querySelector('.chart-legend')?.textContent ?? '').length,
      })));
      assert.ok(shown.length > 0 && shown.every((c) => c.canvas && c.legend > 0), `tab ${tab}: ${JSON.stringify(shown)}`);
    }
    assert.match(await page.$eval('#charts', (e) => e.textContent ?? ''), /Equation of state|bulk fluid/);

    const folder = await mkdtemp(join(tmpdir(), 'kinetic-downloads-'));
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
    await page.click('#exportData');
    const names = ['events.csv', 'histograms.csv', 'msd.csv', 'summary.csv', 'timeseries.csv'];
    for (let k = 0; k < 50 && (await readdir(folder)).filter((f) => f.endsWith('.csv')).length < 5; ++k)
      await new Promise((done) => setTimeout(done, 100));
    assert.deepEqual((await readdir(folder)).sort(), names);
    const heads: Record<string, string> = {
      'timeseries.csv': 'tick,kT_gas [amu*u^2/tick^2],kT_species1 [amu*u^2/tick^2]',
      'events.csv': 'tick,event',
      'histograms.csv': 'species,quantity,bin_centre',
      'msd.csv': 'lag [tick],msd_particle1 [u^2],msd_species1 [u^2]',
      'summary.csv': 'section,key,quantity,unit,value,error,theory,theory_name,theory2,theory2_name',
    };
    for (const name of names) {
      const lines = (await readFile(join(folder, name), 'utf8')).trim().split('\n');
      assert.ok((lines[0] ?? '').startsWith(heads[name] as string), `${name}: ${lines[0]}`);
      assert.ok(lines.length > 1, `${name} has rows`);
      const columns = (lines[0] ?? '').split(',').length;
      if (name !== 'summary.csv' && name !== 'events.csv')
        assert.ok(lines.every((l) => l.split(',').length === columns), `${name}: every row has ${columns} columns`);
    }
    await rm(folder, { recursive: true, force: true });
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the keyboard alone reaches every laboratory control, each with a name and a visible focus', async () => {
    const { page, problems } = await openPage(session);
    await page.focus('#openLab');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#lab:not([hidden])');
    await page.keyboard.press('ArrowRight');
    assert.equal(await page.evaluate(() => document.activeElement?.id), 'labTab1');
    await page.keyboard.press('End');
    const last = (await page.$$eval('[role="tab"]', (all) => all.length)) - 1;
    assert.equal(await page.evaluate(() => document.activeElement?.id), `labTab${last}`);
    const reached = new Map<string, { name: string; outline: string }>();
    for (let k = 0; k < 80; ++k) {
      await page.keyboard.press('Tab');
      const focused = await page.evaluate(() => {
        const e = document.activeElement as HTMLElement | null;
        if (!e || e === document.body) return null;
        const style = getComputedStyle(e);
        return { id: e.id, outline: style.outlineStyle };
      });
      if (!focused || !focused.id) continue;
      const node = await page.$(`#${focused.id}`);
      const name = (await page.accessibility.snapshot({ root: node!, interestingOnly: false }))?.name ?? '';
      reached.set(focused.id, { name, outline: focused.outline });
    }
    const controls = await page.$$eval('#lab button:not([disabled]), #lab input:not([type=file]), #lab select', (all) =>
      all
        .filter((e) => (e as HTMLElement).offsetParent !== null)
        // One stop for a tab list and for a radio group, as their arrow keys move within them.
        .filter((e) => !(e.getAttribute('role') === 'tab' && e.getAttribute('aria-selected') !== 'true'))
        .filter((e) => !((e as HTMLInputElement).type === 'radio' && !(e as HTMLInputElement).checked))
        .map((e) => e.id));
    const missing = controls.filter((id) => !reached.has(id));
    assert.deepEqual(missing, [], `Tab reached ${[...reached.keys()].join(', ')}`);
    for (const id of controls) {
      const r = reached.get(id) as { name: string; outline: string };
      assert.ok(r.name.trim().length > 0, `${id} has no accessible name`);
      assert.notEqual(r.outline, 'none', `${id} shows no focus`);
    }
    // The rule's radio group by its arrow keys.
    await page.focus('#ruleSpecified');
    await page.keyboard.press('ArrowDown');
    assert.equal(await page.$eval('#ruleExact', (e) => (e as HTMLInputElement).checked), true);
    // Alt+L opens the laboratory again after it is closed.
    await page.focus('#closeLab');
    await page.keyboard.press('Enter');
    assert.equal(await page.$eval('#lab', (e) => (e as HTMLElement).hidden), true);
    await page.keyboard.down('Alt');
    await page.keyboard.press('KeyL');
    await page.keyboard.up('Alt');
    assert.equal(await page.$eval('#lab', (e) => (e as HTMLElement).hidden), false);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a run-time error with the laboratory open shows the desktop\'s message, and the page and laboratory go on', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#openLab');
    await page.click('#runSImulation');
    await frames(page, 10);
    await page.click('#cmd_stop_simulation');
    await page.evaluate(() => {
      const p = (window as unknown as { kineticPage: { setParticle(...a: number[]): void } }).kineticPage;
      p.setParticle(2, 300, 300, 4);
      p.setParticle(3, 305, 300, 0);
    });
    await page.click('#step');
    await page.waitForSelector('#message[open]', { timeout: 5000 });
    const message = await text(page, 'messageText');
    assert.ok(message.startsWith('The simulation stopped while running the simulation.\n\nDivision by zero: '), message);
    await page.click('#messageOk');
    await page.click('#runSImulation');
    await page.click('#labTab4');
    const before = await page.evaluate(() => (window as unknown as { KineticModel: { ticks(): number } }).KineticModel.ticks());
    await new Promise((done) => setTimeout(done, 500));
    const after = await page.evaluate(() => (window as unknown as { KineticModel: { ticks(): number } }).KineticModel.ticks());
    assert.ok(after > before, `the gas runs again: ${before} then ${after}`);
    assert.equal(await page.$('#message[open]'), null);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a sweep runs in its worker while the gas goes on, and Stop keeps the runs that finished', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#openLab');
    await page.click('#runSImulation');
    await page.click('#labTab7');
    for (const [id, value] of [['sweepDiscs', '40'], ['sweepEtas', '0.1, 0.2'], ['sweepSeeds', '1'], ['sweepWarmup', '20'], ['sweepTicks', '300']]) {
      await page.$eval(`#${id}`, (e, v) => ((e as HTMLInputElement).value = v as string), value);
    }
    await page.click('#runSweep');
    await page.waitForFunction(() => document.getElementById('sweepState')?.textContent === 'done', { timeout: 30000 });
    const rows = await page.$$eval('#sweepTable tbody tr', (trs) => trs.map((tr) => tr.textContent ?? ''));
    assert.equal(rows.length, 2);
    // Long runs, stopped at once: the page goes on, and the table holds what finished.
    await page.$eval('#sweepTicks', (e) => ((e as HTMLInputElement).value = '5000000'));
    await page.click('#runSweep');
    const before = await text(page, 'Label2');
    await new Promise((done) => setTimeout(done, 600));
    assert.notEqual(await text(page, 'Label2'), before, 'the gas goes on during the sweep');
    await page.click('#stopSweep');
    assert.equal(await text(page, 'sweepState'), 'stopped: the rows hold the runs that finished');
    // A CSV that is no sweep is refused in words.
    const input = await page.$('#sweepFile');
    const bad = join(await mkdtemp(join(tmpdir(), 'kinetic-sweep-')), 'bad.csv');
    await import('node:fs/promises').then((fs) => fs.writeFile(bad, 'not,a,sweep\n1,2,3\n'));
    await (input as unknown as { uploadFile(p: string): Promise<void> }).uploadFile(bad);
    await page.waitForSelector('#message[open]', { timeout: 5000 });
    assert.match(await text(page, 'messageText'), /^The sweep could not be read:/);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the Walls group sets walls, holds a temperature and moves the wall; measure() then reports the walls', async () => {
    const { page, problems } = await openPage(session);
    await page.evaluate(() => {
      const km = (window as unknown as { KineticModel: { setup(o: object): void } }).KineticModel;
      km.setup({ counts: [60, 0, 0, 0], masses: [1, 1, 1, 1], seed: 3, warmup: 0 });
    });
    await page.waitForSelector('#lab:not([hidden])');
    const note = async () => text(page, 'note');
    const values = async () => page.$$eval('#wallLeft, #wallRight, #wallBottom, #wallTop', (all) => all.map((e) => (e as HTMLInputElement).value));
    assert.deepEqual(await values(), ['', '', '', '']);

    // A kT refused is marked where it is typed, written out beneath, and Set walls changes nothing.
    const refusal = "A wall's kT must be a number above 0, or empty for a wall that reflects.";
    await retype(page, 'wallLeft', '40');
    await retype(page, 'wallTop', '0');
    const marked = await page.$eval('#wallTop', (e) => ({ invalid: e.getAttribute('aria-invalid'), title: e.getAttribute('title'), description: e.getAttribute('aria-description') }));
    assert.deepEqual(marked, { invalid: 'true', title: refusal, description: refusal });
    assert.equal(await page.$eval('#wallLeft', (e) => e.getAttribute('aria-invalid')), null);
    assert.equal(await text(page, 'wallRefusal'), refusal);
    await page.click('#setWalls');
    assert.equal(await note(), refusal);
    assert.equal(await page.evaluate(() => (window as unknown as { kineticPage: { wallTexts(): string } }).kineticPage.wallTexts()), '["","","",""]');
    assert.equal(await page.$eval('#wallTop', (e) => (e as HTMLInputElement).value), '0', 'what was typed stays to be put right');

    // Two walls set.
    await retype(page, 'wallTop', '160');
    assert.equal(await page.$eval('#wallRefusal', (e) => (e as HTMLElement).hidden), true);
    assert.match((await page.$eval('#wallTop', (e) => e.getAttribute('title'))) ?? '', /^The kT at which the wall holds/);
    await page.click('#setWalls');
    assert.equal(await note(), 'walls: left kT 40, right reflecting, bottom reflecting, top kT 160.');
    assert.deepEqual(await values(), ['40', '', '', '160']);

    // All four held at the kT typed; the right wall moved in.
    await retype(page, 'holdKT', '50');
    await page.click('#holdTemperature');
    assert.equal(await note(), 'walls: left kT 50, right kT 50, bottom kT 50, top kT 50.');
    assert.deepEqual(await values(), ['50', '50', '50', '50']);
    await retype(page, 'moveTarget', '800');
    await retype(page, 'moveSpeed', '1');
    await page.click('#moveWall');
    assert.equal(await note(), 'right wall toward x = 800 at 1 u/tick.');

    const report = await page.evaluate(async () => {
      const km = (window as unknown as { KineticModel: { step(n: number): Promise<number>; measure(): unknown } }).KineticModel;
      await km.step(300);
      return km.measure() as Report;
    });
    const keys = report.measurements.map((m) => m.key);
    for (const key of ['heat_flow.left', 'heat_flow.top', 'area', 'right_wall.x']) assert.ok(keys.includes(key), `${key} in ${keys.join(',')}`);
    assert.equal(report.measurements.find((m) => m.key === 'right_wall.x')?.value, 800, 'the wall stopped on its target');
    assert.ok((report.settings['events'] as { what: string }[]).some((e) => e.what === 'right wall toward x = 800 at 1 u/tick'));

    // The link writes the walls back, and opens the laboratory with them.
    const link = new URL(await page.evaluate(() => (window as unknown as { KineticModel: { link(): string } }).KineticModel.link()));
    assert.equal(link.searchParams.get('wall-temperature'), '50,50,50,50');
    assert.ok((link.searchParams.get('move-wall') ?? '').startsWith('800,1,'), link.href);
    const again = await openPage(session, { width: 1280, height: 800 }, `?test&${link.searchParams.toString()}`);
    await again.page.waitForSelector('#lab:not([hidden])');
    assert.deepEqual(await again.page.$$eval('#wallLeft, #wallRight, #wallBottom, #wallTop', (all) => all.map((e) => (e as HTMLInputElement).value)), ['50', '50', '50', '50']);
    assert.deepEqual([...problems, ...again.problems], []);
    await again.page.close();
    await page.close();
  });

  test('the Field · Divider group sets the field, opens and closes the divider and chooses each species\' side; a link carries them', async () => {
    const { page, problems } = await openPage(session);
    await page.click('#openLab');
    await page.waitForSelector('#lab:not([hidden])');
    await page.evaluate(async () => {
      const km = (window as unknown as { KineticModel: { setup(o: object): void; step(n: number): Promise<number> } }).KineticModel;
      km.setup({ warmup: 0, rule: 'exact' });
      await km.step(50);
    });
    const note = () => text(page, 'note');
    await page.click('#setField');
    assert.equal(await note(), 'A field of 0.005 units per tick² toward the floor.');
    await retype(page, 'opening', '100');
    await page.click('#openDivider');
    assert.equal(await note(), "The divider's opening is 100 units high.");
    await page.click('#closeDivider');
    assert.equal(await note(), 'The divider is closed.');
    await page.select('#side2', '2');
    assert.match(await note(), /species 2 on the right/);
    // A link carries them.
    const link = await page.evaluate(() => (window as unknown as { KineticModel: { link(): string } }).KineticModel.link());
    assert.match(link, /gravity=0\.005/);
    assert.match(link, /divider=0/);
    assert.match(link, /sides=both%2Cright%2Cboth%2Cboth|sides=both,right,both,both/);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a gas law starts from its button, the note says what it does, and the Gas laws tab lists it when it ends', async () => {
    const { page, problems } = await openPage(session);
    await page.evaluate(() => {
      const km = (window as unknown as { KineticModel: { setup(o: object): void } }).KineticModel;
      km.setup({ seed: 6, warmup: 100 });
    });
    await page.waitForSelector('#lab:not([hidden])');
    const tab = (await page.$$eval('[role="tab"]', (all) => all.map((e) => e.textContent))).indexOf('Gas laws');
    assert.ok(tab > 0);
    await page.click(`#labTab${tab}`);
    const notice = async () => (await labCharts(page)).find((c) => c.tab === tab)?.notice ?? '';
    assert.match(await notice(), /^Press one of the gas laws/);
    assert.equal(await page.$eval('#gasLaw0', (e) => e.getAttribute('title')), await page.evaluate(() => (window as unknown as { kineticPage: { labCaption(id: string): string } }).kineticPage.labCaption('gasLaw0Tip')));
    await page.evaluate(async () => {
      await (window as unknown as { KineticModel: { step(n: number): Promise<number> } }).KineticModel.step(300);
    });
    await page.click('#gasLaw0');
    const started = await text(page, 'note');
    assert.match(started, /^Boyle: the walls hold kT [0-9.]+; the right wall then moves to x = [0-9.]+ at 0\.1 u\/tick, halving the area\.$/);
    assert.equal(await notice(), `${started} Its row comes when it ends.`);
    // Another while it runs is refused in the note.
    await page.click('#gasLaw3');
    assert.match(await text(page, 'note'), /^The Boyle process is still running/);
    const rows = await page.evaluate(async () => {
      const km = (window as unknown as { KineticModel: { step(n: number): Promise<number> } }).KineticModel;
      await km.step(20000);
      await new Promise((done) => setTimeout(done, 1500));
      return [...document.querySelectorAll('#sweepTable tbody tr')].map((r) => [...r.querySelectorAll('td')].map((d) => d.textContent));
    });
    assert.equal(rows.length, 1, JSON.stringify(rows));
    assert.equal(rows[0]?.[0], 'Boyle');
    assert.equal(rows[0]?.at(-1), 'the wall arrived');
    assert.equal(await notice(), '');
    assert.deepEqual(problems, []);
    await page.close();
  });

  for (const size of [
    { width: 1280, height: 800 },
    { width: 1024, height: 768 },
    { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  ]) {
    test(`lays out at ${size.width} x ${size.height} with the laboratory open`, async () => {
      const { page, problems } = await openPage(session, size, '?test&counts=200,20,0,0&seed=3&warmup=100');
      await new Promise((done) => setTimeout(done, 2500));
      await page.click('#labTab2');
      await new Promise((done) => setTimeout(done, 1200));
      await page.screenshot({ path: join(screenshotDir, `lab-${size.width}x${size.height}.png`), fullPage: true });
      const layout = await page.evaluate(() => ({
        outside: [...document.querySelectorAll('#lab button, #lab input, #lab select, #lab .chart')]
          .filter((e) => (e as HTMLElement).offsetParent !== null)
          .filter((e) => {
            const r = e.getBoundingClientRect();
            return r.width === 0 || r.left < -0.5 || r.right > document.documentElement.clientWidth + 0.5;
          })
          .map((e) => e.id || e.className),
        scrollWidth: document.documentElement.scrollWidth,
        clientWidth: document.documentElement.clientWidth,
      }));
      assert.deepEqual(layout.outside, []);
      assert.ok(layout.scrollWidth <= layout.clientWidth, JSON.stringify(layout));
      assert.deepEqual(problems, []);
      await page.close();
    });
  }
});
