// SPDX-License-Identifier: GPL-3.0-or-later
// Axes whose tick labels fit: each axis as wide as its widest label, ticks spaced by their
// labels' width, log axes labelled at powers of ten only (every few decades where they crowd),
// whole numbers only on an axis that counts, and room at the plot's right end for the last
// label. uPlot lays the axes out with these.

import type uPlot from 'uplot';

const measurer = document.createElement('canvas').getContext('2d') as CanvasRenderingContext2D;

export function textWidth(text: string, font: string): number {
  measurer.font = font;
  return measurer.measureText(text).width;
}

// Decimals that tell ticks `incr` apart.
function decimalsFor(incr: number): number {
  if (!(incr > 0) || !Number.isFinite(incr)) return 0;
  return Math.max(0, Math.min(8, Math.ceil(-Math.log10(incr) - 1e-9)));
}

export function linearLabel(v: number, incr: number): string {
  const d = decimalsFor(incr);
  const text = Math.abs(v) >= 1e7 ? v.toExponential(Math.max(0, Math.min(3, d + 1))) : v.toLocaleString('en-US', { minimumFractionDigits: d, maximumFractionDigits: d });
  return text === '-0' ? '0' : text;
}

export function logLabel(v: number): string {
  const e = Math.round(Math.log10(v));
  if (Math.abs(v - 10 ** e) <= 1e-9 * v) return e >= 5 || e <= -4 ? `1e${e}` : (10 ** e).toLocaleString('en-US', { maximumFractionDigits: 4 });
  return v.toLocaleString('en-US', { maximumSignificantDigits: 3 });
}

// Powers of ten inside [min, max], every `step` decades so that each label has `space` px;
// with less than one decade shown, 1, 2 and 5 times the powers.
export function logSplits(min: number, max: number, plotPx: number, space: number): number[] {
  if (!(min > 0) || !(max > min)) return [];
  const low = Math.ceil(Math.log10(min) - 1e-9), high = Math.floor(Math.log10(max) + 1e-9);
  const decades = high - low + 1;
  if (decades < 2) {
    const out: number[] = [];
    for (let e = low - 1; e <= high; ++e)
      for (const m of [1, 2, 5]) {
        const v = m * 10 ** e;
        if (v >= min * (1 - 1e-9) && v <= max * (1 + 1e-9)) out.push(v);
      }
    return out;
  }
  const fit = Math.max(2, Math.floor(plotPx / space));
  const step = Math.max(1, Math.ceil(decades / fit));
  const out: number[] = [];
  for (let e = low; e <= high; e += step) out.push(10 ** e);
  return out;
}

export interface AxisFonts {
  tick: string;
  tickPx: number;
}

// Ticks, gap and the widest label (a vertical axis) or a line of text (a horizontal one).
export function axisSize(fonts: AxisFonts, vertical: boolean) {
  return (_u: uPlot, values: (string | number | null)[] | null): number => {
    if (!vertical) return 10 + 5 + Math.ceil(fonts.tickPx * 1.3) + 3;
    let widest = 0;
    for (const v of values ?? []) if (v != null) widest = Math.max(widest, textWidth(String(v), fonts.tick));
    return Math.ceil(10 + 5 + widest + 5);
  };
}

// The room a horizontal axis's labels need: the wider of its ends' labels and a gap.
export function horizontalSpace(fonts: AxisFonts, log: boolean) {
  return (_u: uPlot, _axis: number, min: number, max: number): number => {
    if (log) return textWidth('1e-10', fonts.tick) + 16;
    const incr = (max - min) / 6;
    return Math.max(40, Math.max(textWidth(linearLabel(min, incr), fonts.tick), textWidth(linearLabel(max, incr), fonts.tick)) + 18);
  };
}

// The whole-number increments, for an axis that counts.
export const wholeIncrs = [1, 2, 5, 10, 20, 50, 100, 200, 500, 1000];
