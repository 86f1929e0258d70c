// SPDX-License-Identifier: GPL-3.0-or-later
// A setup you can share and script: the link's parameters and the global KineticModel take
// kinetic-measure's option names; the engine reads and refuses them, and measures.

import type { WebPage } from './kinetic_module';

// The names a setup takes, as kinetic-measure names its options.
export const setupNames = [
  'counts', 'masses', 'radius', 'proximity', 'vel-range', 'seed', 'draws', 'rule', 'warmup',
  'wall-temperature', 'move-wall', 'piston', 'gravity', 'divider', 'sides',
] as const;

// The laboratory's own settings (its rule, warm-up and walls): a link that names none of them
// leaves the laboratory closed.
export const labSetupNames: readonly string[] = ['rule', 'warmup', 'wall-temperature', 'move-wall', 'piston', 'gravity', 'divider', 'sides'];

export type SetupOptions = Partial<Record<(typeof setupNames)[number], string | number | (string | number)[]>>;

function pairs(options: object): [string, string][] {
  return Object.entries(options).map(([name, value]) => [
    name,
    Array.isArray(value) ? value.map(String).join(',') : String(value),
  ]);
}

export interface Hooks {
  // After a setup: the fields show the engine's texts and the laboratory is open.
  setUp(): void;
  // After a command: the readouts, the picture, a message.
  changed(): void;
}

// The most ticks one step(n) takes: at 500 discs about three hours of ticks.
export const maxStep = 10_000_000;
// A step runs in slices of about this many milliseconds, so that the page answers between them.
const sliceMs = 40;

// The global KineticModel object for teachers' scripts (documented in the README).
export class KineticModelApi {
  // The step under way, if any: a later step waits for it.
  private stepping: Promise<number> = Promise.resolve(0);
  private busy = false;
  private msPerTick = 0;

  constructor(
    private readonly page: WebPage,
    private readonly hooks: Hooks,
  ) {}

  // Sets up and places the gas, paused; throws an Error with the refusal's words.
  setup(options: SetupOptions = {}): void {
    const why = this.page.setup(pairs(options));
    this.hooks.setUp();
    if (why) throw new Error(why);
  }

  run(): void {
    if (this.page.hasRun()) this.page.restart();
    else this.page.runSimulation();
    this.hooks.changed();
  }

  pause(): void {
    this.page.pause();
    this.hooks.changed();
  }

  // Runs n ticks (1 by default), a whole number from 0 to maxStep; anything else throws. A
  // step that fits in one slice is done when this returns; a longer one goes on in slices
  // between display frames. The promise gives the ticks run (fewer after a run-time error).
  step(n: unknown = 1): Promise<number> {
    if (typeof n !== 'number' || !Number.isInteger(n) || n < 0 || n > maxStep)
      throw new Error(`step(n) takes a whole number of ticks from 0 to ${maxStep}, not ${describeValue(n)}.`);
    // An idle page runs the first slice at once, so a short step is done on return; a step
    // asked for while another runs waits for it.
    const queued = this.busy ? this.stepping.then(() => this.sliced(n)) : this.sliced(n);
    this.stepping = queued;
    return queued;
  }

  private sliced(n: number): Promise<number> {
    this.busy = true;
    const progress = { done: 0, stopped: false };
    this.slice(n, progress);
    if (progress.done >= n || progress.stopped) {
      this.busy = false;
      return Promise.resolve(progress.done);
    }
    return new Promise((resolve) => {
      const next = (): void => {
        this.slice(n, progress);
        if (progress.done < n && !progress.stopped) {
          setTimeout(next, 0);
          return;
        }
        this.busy = false;
        resolve(progress.done);
      };
      setTimeout(next, 0);
    });
  }

  // Runs ticks for about one slice's time, in chunks sized by the last pace seen.
  private slice(n: number, progress: { done: number; stopped: boolean }): void {
    const started = performance.now();
    while (progress.done < n && performance.now() - started < sliceMs) {
      const afford = this.msPerTick > 0 ? Math.max(1, Math.floor((sliceMs / 4) / this.msPerTick)) : 1;
      const ask = Math.min(n - progress.done, afford);
      const t0 = performance.now();
      const ran = this.page.stepTicks(ask);
      if (ran > 0) this.msPerTick = (performance.now() - t0) / ran;
      progress.done += ran;
      // Fewer than asked: a run-time error stopped the gas.
      if (ran < ask) {
        progress.stopped = true;
        break;
      }
    }
    this.hooks.changed();
  }

  ticks(): number {
    return this.page.ticks();
  }

  // The measurements as kinetic-measure --format json prints them.
  measure(): unknown {
    const json = this.page.measure();
    if (!json) throw new Error('The laboratory is closed: call setup() or open the laboratory first.');
    return JSON.parse(json);
  }

  // A link that sets up the present gas again.
  link(): string {
    return linkFor(this.page);
  }
}

function describeValue(v: unknown): string {
  if (typeof v === 'string') return JSON.stringify(v);
  if (typeof v === 'number') return String(v);
  return typeof v;
}

export function linkFor(page: WebPage): string {
  const url = new URL(location.href);
  url.search = new URLSearchParams(JSON.parse(page.setupOptions()) as [string, string][]).toString();
  url.hash = '';
  return url.href;
}

// The setup the page's address names, if any: [] for none.
export function setupFromAddress(search: string): [string, string][] {
  return [...new URLSearchParams(search).entries()].filter(([name]) => name !== 'test');
}
