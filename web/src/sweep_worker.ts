// SPDX-License-Identifier: GPL-3.0-or-later
// The sweep's worker: its own engine runs the sweep one run at a time and sends the progress
// and, after each run, the rows of the runs that finished.

import { loadKinetic } from './kinetic_module';
import type { SweepMessage, SweepSettingsText } from './lab/sweep_runner';

const scope = self as unknown as { onmessage: ((e: MessageEvent) => void) | null; postMessage(m: SweepMessage): void };

scope.onmessage = async (e: MessageEvent<{ base: string; settings: SweepSettingsText }>) => {
  try {
    const kinetic = await loadKinetic(e.data.base);
    const s = e.data.settings;
    const sweep = new kinetic.WebSweep(s.discs, s.etas, s.seeds, s.warmup, s.ticks);
    const problem = sweep.problem();
    if (problem) {
      scope.postMessage({ kind: 'failed', message: problem });
      return;
    }
    const total = sweep.total();
    let shown = -1;
    const progress = (done: number): void => {
      // About once every thousandth of the sweep.
      const step = Math.floor((1000 * done) / total);
      if (step === shown) return;
      shown = step;
      scope.postMessage({ kind: 'progress', done, total });
    };
    while (sweep.runNext(progress)) scope.postMessage({ kind: 'rows', csv: sweep.csv() });
    scope.postMessage({ kind: 'done', csv: sweep.csv() });
  } catch (error) {
    scope.postMessage({ kind: 'failed', message: error instanceof Error ? error.message : String(error) });
  }
};
