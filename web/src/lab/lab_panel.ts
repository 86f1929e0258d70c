// SPDX-License-Identifier: GPL-3.0-or-later
// The laboratory on the page: the desktop laboratory's tabs, pace, rule, experiments, warm-up,
// walls, gas laws, exports and the equation of state's sweep. The engine gives every text,
// refusal and chart; this binds them to the page. Charts refresh as often as they can afford,
// never per tick: each refresh times itself and waits 50 times as long before the next (0.1 to
// 1 s).

import { element, markField, showRefusals } from '../dom';
import type { WebPage } from '../kinetic_module';
import { canvasBlob, offerDownload, offerText } from '../downloads';
import type { TabData } from './chart_data';
import { ChartView } from './chart_view';
import { SweepRunner, type SweepMessage } from './sweep_runner';

const eosTab = 7;
// The walls' kT fields, left, right, bottom and top, and the field of the kT to hold.
const wallFields = ['wallLeft', 'wallRight', 'wallBottom', 'wallTop'] as const;
const kTFields = [...wallFields, 'holdKT'] as const;
const speedsTab = 0;
// A typed count, proximity or warm-up is one event once typing pauses this long (ms).
const settleMs = 700;

export class LabPanel {
  private readonly section = element('lab');
  private readonly tabs: HTMLButtonElement[] = [];
  private readonly charts: ChartView[] = [];
  private current = 0;
  private nextRefresh = 0;
  private shownTick = -1;
  private shownSpecies = '';
  private settleTimer = 0;
  private warmupTimer = 0;
  private readonly sweep: SweepRunner;
  private sweepState = '';
  private shownWalls = '';
  refreshes = 0;

  constructor(
    private readonly page: WebPage,
    private readonly showMessage: (text: string) => void,
    private readonly afterCommand: () => void,
  ) {
    for (const e of this.section.querySelectorAll<HTMLElement>('[data-caption]'))
      e.textContent = page.labCaption(e.dataset['caption'] as string);
    this.buildTabs();
    const quantity = element<HTMLSelectElement>('speedQuantity');
    for (let k = 0; k < 3; ++k) quantity.add(new Option(page.labCaption(`speedQuantity${k}`), String(k)));
    quantity.addEventListener('change', () => this.refresh(true));
    const pace = element<HTMLSelectElement>('labPace');
    (JSON.parse(page.paceNames()) as string[]).forEach((name, k) => pace.add(new Option(name, String(k))));
    pace.addEventListener('change', () => {
      page.setPace(Number(pace.value));
      this.afterCommand();
    });
    this.command('step', () => page.step());
    element('step').title = page.labCaption('stepTip');
    element('ruleSpecified').addEventListener('change', () => this.rule(false));
    element('ruleExact').addEventListener('change', () => this.rule(true));
    const factor = element<HTMLInputElement>('heatFactor');
    factor.value = page.labCaption('heatFactor');
    factor.addEventListener('input', () => {
      this.page.setNote(this.page.heatFactorProblem(factor.value));
      this.markControls();
    });
    this.command('heat', () => page.heat(Number(element<HTMLSelectElement>('heatSpecies').value), factor.value));
    this.command('equalEnergies', () => page.equalEnergies());
    element('equalEnergies').title = page.labCaption('equalEnergiesTip');
    // The warm-up is taken once typing pauses or the field is left, as counts are: typing
    // 2000000 must not set 200000 on the way.
    const warmup = element<HTMLInputElement>('warmup');
    const takeWarmup = (): void => {
      clearTimeout(this.warmupTimer);
      if (!page.warmupProblem(warmup.value)) page.setWarmup(warmup.value);
      this.markControls();
    };
    warmup.addEventListener('input', () => {
      this.markControls();
      clearTimeout(this.warmupTimer);
      this.warmupTimer = window.setTimeout(takeWarmup, settleMs);
    });
    warmup.addEventListener('blur', takeWarmup);
    warmup.addEventListener('keydown', (e) => {
      if (e.key === 'Enter') takeWarmup();
    });
    this.buildWalls();
    this.buildField();
    this.command('exportData', () => this.exportData());
    this.command('saveCharts', () => void this.saveCharts());
    this.command('closeLab', () => this.close());

    for (const id of ['sweepDiscs', 'sweepSeeds', 'sweepWarmup', 'sweepTicks', 'sweepEtas'])
      element<HTMLInputElement>(id).value = page.labCaption(id);
    element('runSweep').title = page.labCaption('runSweepTip');
    element('loadSweep').title = page.labCaption('loadSweepTip');
    this.sweep = new SweepRunner((m) => this.sweepMessage(m));
    this.command('runSweep', () => this.runSweep());
    this.command('stopSweep', () => this.stopSweep());
    this.command('loadSweep', () => element('sweepFile').click());
    element<HTMLInputElement>('sweepFile').addEventListener('change', () => void this.loadSweep());
    this.command('saveSweep', () => offerText('sweep.csv', page.sweepCsv()));
    this.setSweepState(page.labCaption('sweepIdle'), 0);
  }

  get open(): boolean {
    return !this.section.hidden;
  }

  // Opens the laboratory, which measures from now on.
  show(): void {
    if (!this.page.labOpen()) this.page.openLab();
    this.section.hidden = false;
    element('openLab').setAttribute('aria-expanded', 'true');
    this.syncControls();
    this.refresh(true);
    document.body.classList.add('lab-open');
    this.tabs[this.current]?.focus();
    // Beside the gas on a wide screen; beneath it elsewhere, where it is scrolled to.
    if (!matchMedia('(min-width: 1200px)').matches) this.section.scrollIntoView({ block: 'start' });
  }

  close(): void {
    this.stopSweep();
    this.page.closeLab();
    this.section.hidden = true;
    document.body.classList.remove('lab-open');
    element('openLab').setAttribute('aria-expanded', 'false');
    element('openLab').focus();
  }

  // A count or the proximity typed on the page: one event once typing pauses (0.7 s) or the
  // field is left.
  fieldEdited(): void {
    if (!this.open) return;
    this.page.fieldEdited();
    clearTimeout(this.settleTimer);
    this.settleTimer = window.setTimeout(() => this.page.fieldSettled(), settleMs);
  }

  fieldLeft(): void {
    clearTimeout(this.settleTimer);
    this.page.fieldSettled();
  }

  // Once a display frame: Step and the note, and the charts and other controls when their time
  // has come (the species on offer come with the measurements, too dear for every frame).
  frame(now: number): void {
    if (!this.open) return;
    element<HTMLButtonElement>('step').disabled = !this.page.stepEnabled();
    const note = element('note');
    const text = this.page.note();
    if (note.textContent !== text) note.textContent = text;
    if (now < this.nextRefresh) return;
    if (this.page.labTicks() === this.shownTick && this.current !== eosTab) {
      this.nextRefresh = now + 100;
      return;
    }
    const started = performance.now();
    this.syncControls();
    this.refresh(false);
    const cost = performance.now() - started;
    this.nextRefresh = now + Math.min(1000, Math.max(100, 50 * cost));
  }

  // The charts of the tab shown (every chart of every tab for `all`).
  refresh(full: boolean): void {
    if (!this.open) return;
    const quantity = Number(element<HTMLSelectElement>('speedQuantity').value) || 0;
    const tab = JSON.parse(this.page.tabJson(this.current, quantity)) as TabData;
    this.draw(tab, full);
    this.shownTick = this.page.labTicks();
    ++this.refreshes;
  }

  private draw(tab: TabData, full: boolean): void {
    const parent = element('charts');
    parent.dataset['count'] = String(tab.charts.length);
    if (full || this.charts.length !== tab.charts.length) {
      for (const c of this.charts.splice(0)) c.destroy();
      for (let k = 0; k < tab.charts.length; ++k) this.charts.push(new ChartView(parent));
    }
    tab.charts.forEach((c, k) => this.charts[k]?.show(c));
    const figures = element('figures');
    if (figures.textContent !== tab.figures) figures.textContent = tab.figures;
    figures.hidden = tab.figures === '';
    this.showTable(tab);
  }

  private showTable(tab: TabData): void {
    const table = element<HTMLTableElement>('sweepTable');
    const key = JSON.stringify([tab.tableHead, tab.table]);
    if (table.dataset['shown'] === key) return;
    table.dataset['shown'] = key;
    table.replaceChildren();
    (table.parentElement as HTMLElement).hidden = tab.tableHead.length === 0;
    if (tab.tableHead.length === 0) return;
    const head = table.createTHead().insertRow();
    for (const h of tab.tableHead) {
      const th = document.createElement('th');
      th.scope = 'col';
      th.textContent = h;
      head.append(th);
    }
    const body = table.createTBody();
    for (const row of tab.table) {
      const tr = body.insertRow();
      for (const cell of row) tr.insertCell().textContent = cell;
    }
  }

  // The charts' descriptions now, for the tests: tab by tab, each chart's series and points.
  chartsNow(): { tab: number; id: string; notice: string; series: { name: string; points: number }[] }[] {
    const out = [];
    for (let t = 0; t < this.tabs.length; ++t) {
      const tab = JSON.parse(this.page.tabJson(t, 0)) as TabData;
      for (const c of tab.charts)
        out.push({ tab: t, id: c.id, notice: c.notice, series: c.series.map((s) => ({ name: s.name, points: s.x.length })) });
    }
    return out;
  }

  private buildTabs(): void {
    const list = element('labTabs');
    const names = JSON.parse(this.page.tabNames()) as string[];
    names.forEach((name, k) => {
      const tab = document.createElement('button');
      tab.type = 'button';
      tab.id = `labTab${k}`;
      tab.setAttribute('role', 'tab');
      tab.setAttribute('aria-controls', 'labPanel');
      tab.textContent = name;
      tab.addEventListener('click', () => this.select(k));
      // Arrow keys move along the tabs, as in a tab list; Tab goes on into the panel.
      tab.addEventListener('keydown', (e) => {
        const step = e.key === 'ArrowRight' ? 1 : e.key === 'ArrowLeft' ? -1 : 0;
        if (e.key === 'Home' || e.key === 'End' || step) {
          e.preventDefault();
          const to = e.key === 'Home' ? 0 : e.key === 'End' ? names.length - 1 : (k + step + names.length) % names.length;
          this.select(to);
          this.tabs[to]?.focus();
        }
      });
      list.append(tab);
      this.tabs.push(tab);
    });
    this.select(0);
  }

  private select(k: number): void {
    this.current = k;
    this.tabs.forEach((t, j) => {
      t.setAttribute('aria-selected', String(j === k));
      t.tabIndex = j === k ? 0 : -1;
    });
    element('labPanel').setAttribute('aria-labelledby', `labTab${k}`);
    element('speedRow').hidden = k !== speedsTab;
    element('sweepControls').hidden = k !== eosTab;
    element('charts').dataset['tab'] = String(k);
    this.refresh(true);
  }

  // The walls' fields with their defaults and tips, and their four commands. A kT refused is
  // marked where it is typed; the commands' refusals come back in the note.
  private buildWalls(): void {
    const page = this.page;
    const value = (id: string) => element<HTMLInputElement>(id).value;
    for (const id of ['moveTarget', 'moveSpeed', 'pistonPressure', 'pistonMass']) element<HTMLInputElement>(id).value = page.labCaption(id);
    for (const id of ['moveTarget', 'moveSpeed', 'moveWall']) element(id).title = page.labCaption('moveWallTip');
    for (const id of ['pistonPressure', 'pistonMass', 'piston']) element(id).title = page.labCaption('pistonTip');
    element('holdTemperature').title = page.labCaption('holdTemperatureTip');
    for (const id of kTFields) element(id).addEventListener('input', () => this.markControls());
    this.command('setWalls', () => {
      const [left, right, bottom, top] = wallFields.map(value) as [string, string, string, string];
      page.setWalls(left, right, bottom, top);
    });
    this.command('holdTemperature', () => page.holdTemperature(value('holdKT')));
    this.command('moveWall', () => page.moveWall(value('moveTarget'), value('moveSpeed')));
    this.command('piston', () => page.setPiston(value('pistonPressure'), value('pistonMass')));
    for (let k = 0; k < 5; ++k) {
      element(`gasLaw${k}`).title = page.labCaption(`gasLaw${k}Tip`);
      this.command(`gasLaw${k}`, () => page.startGasLaw(k));
    }
  }

  // The field, the divider's opening and each species' side, with their defaults and tips.
  private buildField(): void {
    const page = this.page;
    const value = (id: string) => element<HTMLInputElement>(id).value;
    for (const id of ['gravity', 'opening']) element<HTMLInputElement>(id).value = page.labCaption(id);
    for (const id of ['gravity', 'setField']) element(id).title = page.labCaption('gravityTip');
    for (const id of ['opening', 'openDivider']) element(id).title = page.labCaption('openingTip');
    element('closeDivider').title = page.labCaption('closeDividerTip');
    this.command('setField', () => page.setField(value('gravity')));
    this.command('openDivider', () => page.openDivider(value('opening')));
    this.command('closeDivider', () => page.closeDivider());
    const sides = [1, 2, 3, 4].map((k) => element<HTMLSelectElement>(`side${k}`));
    for (const select of sides) {
      for (let k = 0; k < 3; ++k) select.add(new Option(page.sideName(k), String(k)));
      select.title = page.labCaption('sidesTip');
      select.addEventListener('change', () => {
        const [a, b, c, d] = sides.map((s) => Number(s.value)) as [number, number, number, number];
        page.setSides(a, b, c, d);
        this.afterCommand();
        this.syncControls();
      });
    }
  }

  // The four kT fields as the walls are, whenever the walls have changed (an action, a new run,
  // a setup): what is typed in them otherwise stays, a refused text too, to be put right.
  private showWalls(): void {
    const texts = this.page.wallTexts();
    if (texts === this.shownWalls) return;
    this.shownWalls = texts;
    (JSON.parse(texts) as string[]).forEach((t, k) => {
      element<HTMLInputElement>(wallFields[k] as string).value = t;
    });
  }

  private command(id: string, run: () => void): void {
    element(id).addEventListener('click', () => {
      run();
      this.afterCommand();
      this.syncControls();
      this.refresh(false);
    });
  }

  private rule(exact: boolean): void {
    this.page.setRule(exact);
    this.afterCommand();
    this.syncControls();
    this.refresh(false);
  }

  // Every control as the engine has it now.
  syncControls(): void {
    if (!this.open) return;
    const exact = this.page.ruleExact();
    element<HTMLInputElement>('ruleExact').checked = exact;
    element<HTMLInputElement>('ruleSpecified').checked = !exact;
    element<HTMLSelectElement>('labPace').value = String(this.page.paceIndex());
    element<HTMLButtonElement>('step').disabled = !this.page.stepEnabled();
    const warmup = element<HTMLInputElement>('warmup');
    if (document.activeElement !== warmup && !this.page.warmupProblem(warmup.value) && Number(warmup.value) !== this.page.warmup())
      warmup.value = String(this.page.warmup());
    if (warmup.value === '') warmup.value = String(this.page.warmup());
    const species = this.page.speciesJson();
    if (species !== this.shownSpecies) {
      this.shownSpecies = species;
      const select = element<HTMLSelectElement>('heatSpecies');
      const chosen = select.value;
      select.replaceChildren();
      for (const [k, name] of JSON.parse(species) as [number, string][]) select.add(new Option(name, String(k)));
      if ([...select.options].some((o) => o.value === chosen)) select.value = chosen;
    }
    this.showWalls();
    const [, , ...sides] = JSON.parse(this.page.fieldTexts()) as [string, string, number, number, number, number];
    sides.forEach((s, k) => {
      const select = element<HTMLSelectElement>(`side${k + 1}`);
      if (select.value !== String(s)) select.value = String(s);
    });
    const note = element('note');
    const text = this.page.note();
    if (note.textContent !== text) note.textContent = text;
    this.markControls();
  }

  private markControls(): void {
    const factor = element<HTMLInputElement>('heatFactor');
    markField(factor, this.page.heatFactorProblem(factor.value), this.page.labCaption('heatFactorTip'));
    const warmup = element<HTMLInputElement>('warmup');
    const warmupProblem = this.page.warmupProblem(warmup.value);
    markField(warmup, warmupProblem);
    showRefusals(element('warmupRefusal'), warmupProblem ? [warmupProblem] : []);
    // A touch screen shows no tooltip: a refused kT is written out beneath, once.
    const wallProblems = new Set<string>();
    for (const id of kTFields) {
      const field = element<HTMLInputElement>(id);
      const problem = this.page.wallTemperatureProblem(field.value);
      markField(field, problem, this.page.labCaption(id === 'holdKT' ? 'holdTemperatureTip' : 'wallTip'));
      if (problem) wallProblems.add(problem);
    }
    showRefusals(element('wallRefusal'), [...wallProblems]);
    const hasSpecies = element<HTMLSelectElement>('heatSpecies').options.length > 0;
    element<HTMLButtonElement>('heat').disabled = !hasSpecies || this.page.heatFactorProblem(factor.value) !== '';
    element<HTMLButtonElement>('equalEnergies').disabled = !hasSpecies;
    element<HTMLButtonElement>('saveSweep').disabled = !this.page.hasSweep();
  }

  private exportData(): void {
    for (const [name, text] of JSON.parse(this.page.exportFiles()) as [string, string][]) offerText(name, text);
    this.page.setNote(this.page.labCaption('exported'));
  }

  // A PNG of every chart of every tab, each with its title and legend.
  private async saveCharts(): Promise<void> {
    const shown = this.current;
    const pictures: [string, HTMLCanvasElement][] = [];
    for (let t = 0; t < this.tabs.length; ++t) {
      this.select(t);
      for (const c of this.charts) pictures.push([`${c.id}.png`, c.picture()]);
    }
    this.select(shown);
    for (const [name, canvas] of pictures) offerDownload(name, await canvasBlob(canvas));
    this.page.setNote(this.page.labCaption('chartsSaved'));
    this.syncControls();
  }

  private sweepTexts() {
    const v = (id: string) => element<HTMLInputElement>(id).value;
    return { discs: v('sweepDiscs'), etas: v('sweepEtas'), seeds: v('sweepSeeds'), warmup: v('sweepWarmup'), ticks: v('sweepTicks') };
  }

  private runSweep(): void {
    if (this.sweep.running) return;
    const s = this.sweepTexts();
    const problem = this.page.sweepProblem(s.discs, s.etas, s.seeds, s.warmup, s.ticks);
    if (problem) {
      this.showMessage(problem);
      return;
    }
    this.sweep.start(s);
    this.sweepButtons(true);
    this.setSweepState(`${this.page.labCaption('sweepRunning')}: 0 %`, 0);
  }

  private stopSweep(): void {
    if (!this.sweep.running) return;
    this.sweep.stop();
    this.sweepButtons(false);
    if (this.sweep.lastCsv) this.page.showSweep(this.sweep.lastCsv);
    this.setSweepState(this.page.labCaption('sweepStopped'), Number(element<HTMLProgressElement>('sweepProgress').value));
    this.refresh(false);
  }

  private sweepMessage(m: SweepMessage): void {
    if (m.kind === 'progress') {
      const share = Math.floor((1000 * m.done) / Math.max(1, m.total));
      this.setSweepState(`${this.page.labCaption('sweepRunning')}: ${Math.floor(share / 10)} %`, share);
      return;
    }
    if (m.kind === 'rows') {
      // Each row as its runs finish, not only at the end.
      if (!this.page.showSweep(m.csv)) this.refresh(false);
      return;
    }
    this.sweepButtons(false);
    if (m.kind === 'failed') {
      this.setSweepState(this.page.labCaption('sweepIdle'), 0);
      this.showMessage(m.message);
      return;
    }
    const problem = this.page.showSweep(m.csv) || this.page.sweepProblems();
    this.setSweepState(this.page.labCaption('sweepDone'), 1000);
    if (problem) this.showMessage(problem);
    this.refresh(false);
  }

  private sweepButtons(running: boolean): void {
    element<HTMLButtonElement>('runSweep').disabled = running;
    element<HTMLButtonElement>('loadSweep').disabled = running;
    element<HTMLButtonElement>('stopSweep').disabled = !running;
  }

  private setSweepState(text: string, share: number): void {
    if (text === this.sweepState) return;
    this.sweepState = text;
    element('sweepState').textContent = text;
    element<HTMLProgressElement>('sweepProgress').value = share;
  }

  private async loadSweep(): Promise<void> {
    const input = element<HTMLInputElement>('sweepFile');
    const file = input.files?.[0];
    input.value = '';
    if (!file) return;
    let text: string;
    try {
      text = await file.text();
    } catch (error) {
      this.showMessage(`${file.name}: ${error instanceof Error ? error.message : String(error)}`);
      return;
    }
    const problem = this.page.showSweep(text);
    if (problem) {
      this.showMessage(problem);
      return;
    }
    this.setSweepState(`${this.page.labCaption('sweepLoaded')} ${file.name}`, 0);
    this.refresh(false);
  }
}
