// SPDX-License-Identifier: GPL-3.0-or-later
// A setup you can share and script: the link's parameters and the global KineticModel take
// kinetic-measure's option names; the engine reads and refuses them, and measures.

import type { WebPage } from './kinetic_module';

// The names a setup takes, as kinetic-measure names its options.
export const setupNames = ['counts', 'masses', 'radius', 'proximity', 'vel-range', 'seed', 'rule', 'warmup'] as const;

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

// The global KineticModel object for teachers' scripts (documented in the README).
export class KineticModelApi {
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

  // Runs n ticks now (1 by default); returns the ticks run.
  step(n = 1): number {
    const count = Math.max(0, Math.min(Math.floor(Number(n)) || 0, 10_000_000));
    const done = this.page.stepTicks(count);
    this.hooks.changed();
    return done;
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
