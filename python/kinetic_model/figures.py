# SPDX-License-Identifier: GPL-3.0-or-later
"""The laboratory's tabs drawn with matplotlib, from the same chart descriptions the windows
draw: titles, axes and their ranges, series in their styles, error bars, event marks, log
axes, the notice of an empty chart, the legend beneath, and the words and table below."""

from __future__ import annotations

import colorsys
import math
import textwrap
from typing import Any, Optional, Sequence

BACKGROUND = "#202228"
TEXT = "#e6e6e6"
GRID = (1.0, 1.0, 1.0, 0.12)
MARK_LINE = "#bebebe"
MARK_TEXT = "#dcdcdc"

_LINES = {"line": "-", "dashed": (0, (6, 4)), "dotted": (0, (2, 3)), "steps": "-"}
_MARKERS = {"dots": "o", "squares": "s", "stars": "*"}


def _channels(colour: str) -> Optional[tuple[float, float, float]]:
    if len(colour) != 7 or colour[0] != "#":
        return None
    try:
        return tuple(int(colour[k:k + 2], 16) / 255 for k in (1, 3, 5))  # type: ignore[return-value]
    except ValueError:
        return None


def _luminance(rgb: Sequence[float]) -> float:
    def linear(c: float) -> float:
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def _contrast(a: Sequence[float], b: Sequence[float]) -> float:
    la, lb = _luminance(a), _luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def readable(colour: str, background: str = BACKGROUND) -> str:
    """The colour, lightened until it reads on the background (contrast 4.5 or more), as the
    windows draw a species' colour that would be lost on their dark charts."""
    rgb, back = _channels(colour), _channels(background)
    if rgb is None or back is None or _contrast(back, rgb) >= 4.5:
        return colour
    h, l0, s = colorsys.rgb_to_hls(*rgb)
    steps = 0
    while l0 + 0.02 * steps <= 1:
        lighter = colorsys.hls_to_rgb(h, min(1.0, l0 + 0.02 * steps), s)
        if _contrast(back, lighter) >= 4.5:
            return "#" + "".join(f"{round(c * 255):02x}" for c in lighter)
        steps += 1
    return "#ffffff"


def _finite(v: Any) -> bool:
    return isinstance(v, (int, float)) and math.isfinite(v)


def _limits(low: Any, high: Any, values: list[float], log: bool) -> tuple[float, float]:
    """The range to show: the description's where it gives one, else the points' own."""
    a = low if _finite(low) else (min(values) if values else None)
    b = high if _finite(high) else (max(values) if values else None)
    if a is None or b is None:
        a, b = (1.0, 10.0) if log else (0.0, 1.0)
    if a == b:
        a, b = (a / 10, b * 10) if log else (a - 1, b + 1)
    return a, b


def _points(series: dict[str, Any], log_x: bool, log_y: bool) -> tuple[list[float], list[float]]:
    """The series' points with a blank (NaN) wherever the description has none, so that lines
    break there, and wherever a log axis cannot show the value."""
    xs, ys = [], []
    for x, y in zip(series["x"], series["y"]):
        usable = _finite(x) and _finite(y) and (not log_x or x > 0) and (not log_y or y > 0)
        xs.append(x if usable else math.nan)
        ys.append(y if usable else math.nan)
    return xs, ys


def draw_legend(ax: Any, plots: Sequence[Any]) -> None:
    """The legend of the series drawn on `plots`, on its own Axes beneath them: each named
    series, in rows that wrap."""
    ax.set_axis_off()
    handles, labels = [], []
    for a in plots:
        if a is not None:
            h, l = a.get_legend_handles_labels()
            handles += h
            labels += l
    if handles:
        columns = max(1, min(len(handles), 72 // (max(map(len, labels)) + 6)))
        legend = ax.legend(handles, labels, loc="upper center", ncol=columns, frameon=False,
                           fontsize=8)
        for t in legend.get_texts():
            t.set_color(TEXT)


def _label_axis(axis: Any, low: float, high: float) -> None:
    """About five ticks on a linear axis, labelled with as many decimals as their step needs
    to read apart (a span of 1e-12 about 1196 is labelled in full, not left blank)."""
    from matplotlib.ticker import FormatStrFormatter, MaxNLocator

    step = (high - low) / 5
    decimals = max(0, min(15, math.ceil(-math.log10(step)))) if step > 0 else 0
    axis.set_major_locator(MaxNLocator(6))
    axis.set_major_formatter(FormatStrFormatter(f"%.{decimals}f"))


def draw_chart(ax: Any, chart: dict[str, Any]) -> Any:
    """Draws one chart description on a matplotlib Axes; returns the right-hand Axes where the
    chart has one, else None."""
    ax.set_facecolor(BACKGROUND)
    ax.set_title(chart["title"], color=TEXT, fontsize=11)
    ax.set_xlabel(chart["xTitle"], color=TEXT)
    ax.set_ylabel(chart["yTitle"], color=TEXT)
    ax.tick_params(colors=TEXT, labelsize=9)
    for side in ax.spines.values():
        side.set_color(GRID)
    ax.grid(True, color="white", alpha=0.12, linewidth=1)
    right = ax.twinx() if chart["y2Title"] else None
    if right is not None:
        right.set_ylabel(chart["y2Title"], color=TEXT)
        right.tick_params(colors=TEXT, labelsize=9)
    if chart["logX"]:
        ax.set_xscale("log")
    if chart["logY"]:
        ax.set_yscale("log")
    if chart["wholeX"]:
        from matplotlib.ticker import MaxNLocator
        ax.xaxis.set_major_locator(MaxNLocator(integer=True))

    xs_all: list[float] = []
    ys_all: dict[int, list[float]] = {0: [], 1: []}
    for s in chart["series"]:
        target = right if s["axis"] == 1 and right is not None else ax
        colour = readable(s["color"])
        xs, ys = _points(s, chart["logX"], chart["logY"] and target is ax)
        xs_all += [x for x in xs if _finite(x)]
        ys_all[1 if target is right else 0] += [y for y in ys if _finite(y)]
        label = s["name"] or "_nolegend_"
        style = s["style"]
        if style in _MARKERS:
            # A marker's width is its diameter in pixels: its area in points².
            target.scatter(xs, ys, s=(s["width"] * 0.75) ** 2, marker=_MARKERS[style],
                           color=colour, label=label, zorder=3, linewidths=0)
        else:
            target.plot(xs, ys, color=colour, linestyle=_LINES.get(style, "-"),
                        linewidth=s["width"] * 0.75, label=label,
                        drawstyle="steps-post" if style == "steps" else "default")
    for b in chart["bars"]:
        if all(_finite(v) for v in (b["x"], b["low"], b["high"])):
            ax.vlines(b["x"], b["low"], b["high"], color=readable(b["color"]), linewidth=2.25)
    x0, x1 = _limits(chart["xMin"], chart["xMax"], xs_all, chart["logX"])
    y0, y1 = _limits(chart["yMin"], chart["yMax"], ys_all[0], chart["logY"])
    ax.set_xlim(x0, x1)
    ax.set_ylim(y0, y1)
    if not chart["logX"] and not chart["wholeX"]:
        _label_axis(ax.xaxis, x0, x1)
    if not chart["logY"]:
        _label_axis(ax.yaxis, y0, y1)
    if right is not None:
        z0, z1 = _limits(chart["y2Min"], chart["y2Max"], ys_all[1], False)
        right.set_ylim(z0, z1)
        _label_axis(right.yaxis, z0, z1)
    for m in chart["marks"]:
        ax.axvline(m["tick"], color=MARK_LINE, linewidth=0.75, linestyle=(0, (4, 3)))
        ax.annotate(m["what"], (m["tick"], 1), xycoords=("data", "axes fraction"),
                    xytext=(3, -3), textcoords="offset points", va="top", fontsize=8,
                    color=MARK_TEXT, annotation_clip=True)
    if chart["notice"]:
        ax.text(0.5, 0.5, "\n".join(textwrap.wrap(chart["notice"], 48)), transform=ax.transAxes,
                ha="center", va="center", color=TEXT, fontsize=10, wrap=True)
    return right


def draw_tab(tab: dict[str, Any], title: str) -> Any:
    """A matplotlib Figure of one tab: its charts side by side (two rows for four), each with
    its legend beneath, then the words and the table below them."""
    from matplotlib.figure import Figure

    charts = tab["charts"]
    n = max(1, len(charts))
    columns = 2 if n == 4 else n
    rows = 2 if n == 4 else 1
    width = max(10.0, 5.2 * columns)
    words = []
    for line in tab["figures"].splitlines():
        words += textwrap.wrap(line, int(width * 11)) or [""]
    table = tab["table"]
    chart_height = 4.4
    words_height = 0.2 * len(words) + (0.3 if words else 0)
    table_height = 0.28 * (len(table) + 1) if table else 0
    ratios = [chart_height] * rows + [h for h in (words_height, table_height) if h]
    figure = Figure(figsize=(width, sum(ratios) + 0.8), facecolor=BACKGROUND)
    figure.suptitle(title, color=TEXT, fontsize=13)
    grid = figure.add_gridspec(len(ratios), columns, height_ratios=ratios, left=0.07,
                               right=0.93, top=1 - 0.7 / (sum(ratios) + 0.8), bottom=0.02,
                               wspace=0.28, hspace=0.25)
    for k, chart in enumerate(charts):
        cell = grid[k // columns, k % columns].subgridspec(2, 1, height_ratios=[3.5, 0.9],
                                                           hspace=0.45)
        ax = figure.add_subplot(cell[0])
        right = draw_chart(ax, chart)
        draw_legend(figure.add_subplot(cell[1]), (ax, right))
    below = rows
    if words:
        ax = figure.add_subplot(grid[below, :])
        ax.set_axis_off()
        ax.text(0, 1, "\n".join(words), va="top", ha="left", color=TEXT, fontsize=9,
                transform=ax.transAxes, family="monospace")
        below += 1
    if table:
        ax = figure.add_subplot(grid[below, :])
        ax.set_axis_off()
        cells = ax.table(cellText=table, colLabels=tab["tableHead"] or None, loc="upper center",
                         cellLoc="center")
        for cell in cells.get_celld().values():
            cell.set_facecolor(BACKGROUND)
            cell.set_edgecolor("#555a66")
            cell.get_text().set_color(TEXT)
    return figure
