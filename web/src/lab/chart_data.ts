// SPDX-License-Identifier: GPL-3.0-or-later
// A laboratory tab as the engine describes it (app/lab_tabs.h): the page draws it as given.

export interface Series {
  name: string;
  color: string;
  style: 'line' | 'dashed' | 'dotted' | 'steps' | 'dots' | 'squares' | 'stars';
  width: number;
  axis: number;
  // A vertical line at x[0] over the value axis's whole height (its y are the axis's ends).
  spanY: boolean;
  x: (number | null)[];
  y: (number | null)[];
}

export interface ChartData {
  id: string;
  title: string;
  xTitle: string;
  yTitle: string;
  y2Title: string;
  logX: boolean;
  logY: boolean;
  // The x axis counts: ticks at whole numbers only.
  wholeX: boolean;
  xMin: number | null;
  xMax: number | null;
  yMin: number | null;
  yMax: number | null;
  y2Min: number | null;
  y2Max: number | null;
  // The x ticks' spacing where the desktop keeps it, and whether a range is fitted to the
  // values (the desktop rounds those outwards); the page lets uPlot place its ticks.
  xStep: number | null;
  xFitted: boolean;
  yFitted: boolean;
  notice: string;
  series: Series[];
  bars: { x: number | null; low: number | null; high: number | null; color: string; width: number }[];
  marks: { tick: number; what: string }[];
}

export interface TabData {
  charts: ChartData[];
  figures: string;
  tableHead: string[];
  table: string[][];
}

export const markerStyles = new Set(['dots', 'squares', 'stars']);

// The legend's stroke for a series, as the desktop's legend writes it.
export function legendStroke(s: Series): string {
  if (s.style === 'dots') return '●';
  if (s.style === 'squares') return '■';
  if (s.style === 'stars') return '★';
  return s.style === 'dashed' || s.style === 'dotted' ? '╺╸╺╸' : '━━';
}
