// SPDX-License-Identifier: GPL-3.0-or-later
// One chart of the laboratory on uPlot: uPlot lays out the axes and their ticks, and the
// series, error bars and event marks the engine described are drawn over them. The legend is
// written beneath the chart and wraps, as on the desktop.

import uPlot from 'uplot';
import { axisSize, horizontalSpace, linearLabel, logLabel, logSplits, textWidth, wholeIncrs } from './axis_layout';
import { legendStroke, markerStyles, type ChartData, type Series } from './chart_data';
import { readableOn } from './colours';

const background = '#202228';
const textColour = '#e6e6e6';
const gridColour = 'rgba(255,255,255,0.12)';

function finite(v: number | null | undefined): v is number {
  return typeof v === 'number' && Number.isFinite(v);
}

// The range to show: the engine's where it gave one, else the points' own. A range the axis
// cannot divide (reversed, empty, or narrower than the last digits of its values, where a
// tick's step would not move from one value to the next) is widened around its middle.
function range(low: number | null, high: number | null, values: number[], log: boolean): [number, number] {
  let a = finite(low) ? low : Math.min(...values);
  let b = finite(high) ? high : Math.max(...values);
  if (!finite(a) || !finite(b)) [a, b] = log ? [1, 10] : [0, 1];
  if (a > b) [a, b] = [b, a];
  if (log) {
    if (!(a > 0)) [a, b] = b > 0 ? [b / 10, b] : [1, 10];
    if (!(b > a * (1 + 1e-9))) [a, b] = [a / 10, a * 10];
    return [a, b];
  }
  if (!(b - a > 1e-9 * Math.max(Math.abs(a), Math.abs(b)))) {
    const mid = a / 2 + b / 2, half = Math.max(1, Math.abs(mid) * 1e-6);
    [a, b] = [mid - half, mid + half];
  }
  return [a, b];
}

export class ChartView {
  readonly box: HTMLElement;
  private readonly title: HTMLElement;
  private readonly area: HTMLElement;
  private readonly notice: HTMLElement;
  private readonly legend: HTMLElement;
  private plot: uPlot | null = null;
  private shape = '';
  private data: ChartData | null = null;
  private legendText = '';
  private readonly resizer: ResizeObserver;

  constructor(parent: HTMLElement) {
    this.box = document.createElement('figure');
    this.box.className = 'chart';
    this.title = document.createElement('figcaption');
    this.title.className = 'chart-title';
    this.area = document.createElement('div');
    this.area.className = 'chart-area';
    this.notice = document.createElement('p');
    this.notice.className = 'chart-notice';
    this.legend = document.createElement('p');
    this.legend.className = 'chart-legend';
    this.area.append(this.notice);
    this.box.append(this.title, this.area, this.legend);
    this.box.setAttribute('role', 'img');
    parent.append(this.box);
    // The area's size follows the layout (a wide screen shares its height among the charts).
    this.resizer = new ResizeObserver(() => this.fit());
    this.resizer.observe(this.area);
  }

  private fit(): void {
    if (!this.plot) return;
    const width = Math.max(200, Math.floor(this.area.clientWidth));
    const height = Math.max(160, Math.floor(this.area.clientHeight));
    if (this.plot.width !== width || this.plot.height !== height) this.plot.setSize({ width, height });
  }

  get id(): string {
    return this.data?.id ?? '';
  }

  show(given: ChartData): void {
    const data = readableData(given);
    this.data = data;
    if (this.title.textContent !== data.title) this.title.textContent = data.title;
    if (this.notice.textContent !== data.notice) this.notice.textContent = data.notice;
    this.notice.hidden = data.notice === '';
    this.showLegend(data.series);
    this.box.setAttribute('aria-label', `${data.title}. ${this.legendWords(data.series)}${data.notice ? ` ${data.notice}` : ''}`);
    const width = Math.max(200, Math.floor(this.area.clientWidth));
    const height = Math.max(160, Math.floor(this.area.clientHeight));
    const shape = [data.logX, data.logY, data.wholeX, data.xTitle, data.yTitle, data.y2Title, width < 480].join('|');
    if (!this.plot || shape !== this.shape) this.create(data, width, height, shape);
    else if (this.plot.width !== width || this.plot.height !== height) this.plot.setSize({ width, height });
    this.setScales(data);
  }

  // The series drawn, for the tests: name and number of points.
  drawn(): { name: string; points: number }[] {
    return (this.data?.series ?? []).map((s) => ({ name: s.name, points: s.x.filter(finite).length }));
  }

  private legendWords(series: Series[]): string {
    return series.filter((s) => s.name).map((s) => s.name).join('; ');
  }

  private showLegend(series: Series[]): void {
    const text = JSON.stringify(series.map((s) => [s.name, s.color, s.style]));
    if (text === this.legendText) return;
    this.legendText = text;
    this.legend.replaceChildren();
    for (const s of series) {
      if (!s.name) continue;
      const entry = document.createElement('span');
      entry.className = 'entry';
      const stroke = document.createElement('span');
      stroke.style.color = s.color;
      stroke.textContent = legendStroke(s);
      stroke.setAttribute('aria-hidden', 'true');
      entry.append(stroke, ` ${s.name}`);
      this.legend.append(entry);
    }
  }

  private create(data: ChartData, width: number, height: number, shape: string): void {
    this.plot?.destroy();
    this.shape = shape;
    const tickPx = width < 480 ? 11 : 12;
    const fonts = { tick: `${tickPx}px system-ui, sans-serif`, tickPx };
    const axis = (label: string, scale: string, side: uPlot.Axis.Side, log: boolean, whole = false): uPlot.Axis => {
      const vertical = side % 2 === 1;
      const a: uPlot.Axis = {
        scale,
        label,
        side,
        stroke: textColour,
        labelSize: 22,
        // Smaller type on a narrow chart, so that a long axis title is not cut.
        labelFont: `${width < 480 ? 11 : 13}px system-ui, sans-serif`,
        font: fonts.tick,
        grid: { stroke: gridColour, width: 1, show: side !== 1 },
        ticks: { stroke: gridColour, width: 1 },
        size: axisSize(fonts, vertical),
        space: vertical ? Math.ceil(tickPx * 2.4) : horizontalSpace(fonts, log),
        values: log
          ? (_u, splits) => splits.map(logLabel)
          : (_u, splits, _i, _space, incr) => splits.map((v) => linearLabel(v, incr)),
      };
      if (log)
        a.splits = (u, _i, min, max) =>
          logSplits(min, max, vertical ? u.bbox.height / devicePixelRatio || height : u.bbox.width / devicePixelRatio || width,
            vertical ? Math.ceil(tickPx * 2.4) : textWidth('1e-10', fonts.tick) + 16);
      if (whole) a.incrs = wholeIncrs;
      return a;
    };
    const axes: uPlot.Axis[] = [axis(data.xTitle, 'x', 2, data.logX, data.wholeX), axis(data.yTitle, 'y', 3, data.logY)];
    if (data.y2Title) axes.push(axis(data.y2Title, 'y2', 1, false));
    // Room at the right end for half the last x label, where no axis stands there.
    const rightPad = (u: uPlot): number => {
      if (data.y2Title) return 8;
      const max = u.scales['x']?.max ?? 1, min = u.scales['x']?.min ?? 0;
      const last = data.logX ? logLabel(10 ** Math.floor(Math.log10(Math.max(max, 1e-300)))) : linearLabel(max, (max - min) / 6);
      return Math.ceil(textWidth(last, fonts.tick) / 2) + 6;
    };
    const series: uPlot.Series[] = [{}, { scale: 'y', stroke: 'transparent', points: { show: false } }];
    if (data.y2Title) {
      series.push({ scale: 'y2', stroke: 'transparent', points: { show: false } });
    }
    const options: uPlot.Options = {
      width,
      height,
      pxAlign: 0,
      padding: [Math.ceil(tickPx * 0.8), rightPad, null, null],
      legend: { show: false },
      cursor: { show: false },
      select: { show: false, left: 0, top: 0, width: 0, height: 0 },
      scales: {
        x: { time: false, distr: data.logX ? 3 : 1, auto: false },
        y: { distr: data.logY ? 3 : 1, auto: false },
        y2: { auto: false },
      },
      axes,
      series,
      hooks: { draw: [(u) => this.drawOver(u)] },
    };
    const empty: uPlot.AlignedData = data.y2Title ? [[0, 1], [0, 1], [0, 1]] : [[0, 1], [0, 1]];
    this.plot = new uPlot(options, empty, this.area);
    this.plot.root.style.background = background;
  }

  private setScales(data: ChartData): void {
    const plot = this.plot as uPlot;
    const xs: number[] = [], ys: number[] = [], y2s: number[] = [];
    for (const s of data.series)
      for (let k = 0; k < s.x.length; ++k) {
        const x = s.x[k], y = s.y[k];
        if (!finite(x) || !finite(y)) continue;
        xs.push(x);
        (s.axis === 1 ? y2s : ys).push(y);
      }
    const [x0, x1] = range(data.xMin, data.xMax, xs, data.logX);
    const [y0, y1] = range(data.yMin, data.yMax, ys, data.logY);
    const [z0, z1] = range(data.y2Min, data.y2Max, y2s, false);
    const aligned: uPlot.AlignedData = data.y2Title ? [[x0, x1], [y0, y1], [z0, z1]] : [[x0, x1], [y0, y1]];
    plot.batch(() => {
      plot.setData(aligned, false);
      plot.setScale('x', { min: x0, max: x1 });
      plot.setScale('y', { min: y0, max: y1 });
      if (data.y2Title) plot.setScale('y2', { min: z0, max: z1 });
    });
    plot.redraw(false, true);
  }

  // The engine's series, error bars and event marks over uPlot's axes.
  private drawOver(u: uPlot): void {
    const data = this.data;
    if (!data) return;
    const ctx = u.ctx;
    const { left, top, width, height } = u.bbox;
    const ratio = devicePixelRatio;
    ctx.save();
    ctx.beginPath();
    ctx.rect(left, top, width, height);
    ctx.clip();
    const px = (v: number) => u.valToPos(v, 'x', true);
    const py = (v: number, axis: number) => u.valToPos(v, axis === 1 ? 'y2' : 'y', true);
    const usable = (x: number | null, y: number | null) =>
      finite(x) && finite(y) && (!data.logX || x > 0) && (!data.logY || y > 0);
    for (const s of data.series) {
      ctx.strokeStyle = s.color;
      ctx.fillStyle = s.color;
      ctx.lineWidth = s.width * ratio;
      ctx.setLineDash(s.style === 'dashed' ? [6 * ratio, 4 * ratio] : s.style === 'dotted' ? [2 * ratio, 3 * ratio] : []);
      if (markerStyles.has(s.style)) {
        for (let k = 0; k < s.x.length; ++k)
          if (usable(s.x[k] ?? null, s.y[k] ?? null)) marker(ctx, s.style, px(s.x[k] as number), py(s.y[k] as number, s.axis), (s.width * ratio) / 2);
        continue;
      }
      ctx.beginPath();
      let open = false;
      let lastY = 0;
      for (let k = 0; k < s.x.length; ++k) {
        const x = s.x[k] ?? null, y = s.y[k] ?? null;
        if (!usable(x, y)) {
          open = false;
          continue;
        }
        const X = px(x as number), Y = py(y as number, s.axis);
        if (!open) ctx.moveTo(X, Y);
        else if (s.style === 'steps') {
          ctx.lineTo(X, lastY);
          ctx.lineTo(X, Y);
        } else ctx.lineTo(X, Y);
        open = true;
        lastY = Y;
      }
      ctx.stroke();
    }
    ctx.setLineDash([]);
    for (const b of data.bars) {
      if (!usable(b.x, b.low) || !usable(b.x, b.high)) continue;
      ctx.lineWidth = b.width * ratio;
      ctx.strokeStyle = b.color;
      ctx.beginPath();
      ctx.moveTo(px(b.x as number), py(b.low as number, 0));
      ctx.lineTo(px(b.x as number), py(b.high as number, 0));
      ctx.stroke();
    }
    // The events, each a dashed grey line with its words on the first of three rows it clears.
    ctx.lineWidth = ratio;
    ctx.setLineDash([4 * ratio, 3 * ratio]);
    ctx.font = `${12 * ratio}px system-ui, sans-serif`;
    ctx.textBaseline = 'top';
    const rowEnd = [-Infinity, -Infinity, -Infinity];
    for (const m of data.marks) {
      const X = px(m.tick);
      ctx.strokeStyle = '#bebebe';
      ctx.beginPath();
      ctx.moveTo(X, top);
      ctx.lineTo(X, top + height);
      ctx.stroke();
      const textWidth = ctx.measureText(m.what).width;
      const row = rowEnd.findIndex((end) => X + 3 * ratio > end + 6 * ratio);
      if (row < 0) continue;
      rowEnd[row] = X + 3 * ratio + textWidth;
      ctx.fillStyle = '#dcdcdc';
      ctx.fillText(m.what, X + 3 * ratio, top + (2 + 15 * row) * ratio);
    }
    ctx.restore();
  }

  // The chart as a picture: its title, the plot and its legend, as the desktop saves it.
  picture(): HTMLCanvasElement {
    const plotCanvas = this.plot?.ctx.canvas;
    const ratio = devicePixelRatio;
    const width = plotCanvas?.width ?? 600;
    const font = `${13 * ratio}px system-ui, sans-serif`;
    const probe = document.createElement('canvas').getContext('2d') as CanvasRenderingContext2D;
    probe.font = font;
    const lines: { stroke: string; colour: string; text: string }[][] = [[]];
    let used = 0;
    for (const s of this.data?.series ?? []) {
      if (!s.name) continue;
      const w = probe.measureText(`${legendStroke(s)} ${s.name}    `).width;
      if (used + w > width - 24 * ratio && used > 0) {
        lines.push([]);
        used = 0;
      }
      (lines[lines.length - 1] as { stroke: string; colour: string; text: string }[]).push({ stroke: legendStroke(s), colour: s.color, text: s.name });
      used += w;
    }
    const titleHeight = 28 * ratio, lineHeight = 18 * ratio;
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = titleHeight + (plotCanvas?.height ?? 0) + lines.length * lineHeight + 8 * ratio;
    const ctx = canvas.getContext('2d') as CanvasRenderingContext2D;
    ctx.fillStyle = background;
    ctx.fillRect(0, 0, canvas.width, canvas.height);
    ctx.fillStyle = textColour;
    ctx.font = `bold ${14 * ratio}px system-ui, sans-serif`;
    ctx.textBaseline = 'middle';
    ctx.textAlign = 'center';
    ctx.fillText(this.data?.title ?? '', width / 2, titleHeight / 2);
    if (plotCanvas) ctx.drawImage(plotCanvas, 0, titleHeight);
    if (this.data?.notice && plotCanvas) {
      ctx.font = font;
      ctx.fillText(this.data.notice, width / 2, titleHeight + plotCanvas.height / 2);
    }
    ctx.textAlign = 'left';
    ctx.font = font;
    let y = titleHeight + (plotCanvas?.height ?? 0) + lineHeight / 2;
    for (const line of lines) {
      let x = 12 * ratio;
      for (const entry of line) {
        ctx.fillStyle = entry.colour;
        ctx.fillText(entry.stroke, x, y);
        x += ctx.measureText(`${entry.stroke} `).width;
        ctx.fillStyle = textColour;
        ctx.fillText(entry.text, x, y);
        x += ctx.measureText(`${entry.text}    `).width;
      }
      y += lineHeight;
    }
    return canvas;
  }

  destroy(): void {
    this.resizer.disconnect();
    this.plot?.destroy();
    this.plot = null;
    this.box.remove();
  }
}

// The engine's colours made readable on the dark panel (pure blue lightened, its hue kept).
function readableData(data: ChartData): ChartData {
  return {
    ...data,
    series: data.series.map((s) => ({ ...s, color: readableOn(background, s.color) })),
    bars: data.bars.map((b) => ({ ...b, color: readableOn(background, b.color) })),
  };
}

function marker(ctx: CanvasRenderingContext2D, style: string, x: number, y: number, r: number): void {
  ctx.beginPath();
  if (style === 'squares') ctx.rect(x - r, y - r, 2 * r, 2 * r);
  else if (style === 'stars')
    for (let k = 0; k < 10; ++k) {
      const a = -Math.PI / 2 + (k * Math.PI) / 5;
      const d = k % 2 === 0 ? r : r * 0.45;
      if (k === 0) ctx.moveTo(x + d * Math.cos(a), y + d * Math.sin(a));
      else ctx.lineTo(x + d * Math.cos(a), y + d * Math.sin(a));
    }
  else ctx.arc(x, y, r, 0, 2 * Math.PI);
  ctx.closePath();
  ctx.fill();
}
