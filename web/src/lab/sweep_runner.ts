// SPDX-License-Identifier: GPL-3.0-or-later
// The equation of state's sweep in a worker with its own engine, so that the page goes on.
// The worker sends its progress and, after each run, the rows of the runs that finished; Stop
// ends the worker, and the rows it sent last are kept.

export interface SweepSettingsText {
  discs: string;
  etas: string;
  seeds: string;
  warmup: string;
  ticks: string;
}

export type SweepMessage =
  | { kind: 'progress'; done: number; total: number }
  | { kind: 'rows'; csv: string }
  | { kind: 'done'; csv: string }
  | { kind: 'failed'; message: string };

export class SweepRunner {
  private worker: Worker | null = null;
  lastCsv = '';

  constructor(private readonly listener: (m: SweepMessage) => void) {}

  get running(): boolean {
    return this.worker !== null;
  }

  start(settings: SweepSettingsText): void {
    this.stop();
    this.lastCsv = '';
    const worker = new Worker(new URL('sweep_worker.js', document.baseURI), { type: 'module' });
    worker.onmessage = (e: MessageEvent<SweepMessage>) => {
      const m = e.data;
      if (m.kind === 'rows' || m.kind === 'done') this.lastCsv = m.csv;
      if (m.kind === 'done' || m.kind === 'failed') this.end();
      this.listener(m);
    };
    worker.onerror = (e) => {
      e.preventDefault();
      this.end();
      this.listener({ kind: 'failed', message: e.message || 'the sweep could not be started' });
    };
    worker.postMessage({ base: document.baseURI, settings });
    this.worker = worker;
  }

  // Ends the sweep at once; the rows sent last hold the runs that finished.
  stop(): void {
    this.end();
  }

  private end(): void {
    this.worker?.terminate();
    this.worker = null;
  }
}
