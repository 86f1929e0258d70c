// SPDX-License-Identifier: GPL-3.0-or-later
// The gas picture: a canvas with the screen's own pixels, filled from the engine's pixel buffer
// at most once per display frame and only when the engine drew something new.

import type { WebPage } from './kinetic_module';

export class Picture {
  private readonly canvas: HTMLCanvasElement;
  private readonly context: CanvasRenderingContext2D;
  private shownVersion = -1;
  private width = 0;
  private height = 0;

  constructor(private readonly page: WebPage) {
    this.canvas = document.getElementById('Picture1') as HTMLCanvasElement;
    const context = this.canvas.getContext('2d', { alpha: false });
    if (!context) throw new Error('this browser gives the page no canvas to draw on');
    this.context = context;
    new ResizeObserver(() => this.fit()).observe(this.canvas);
    // A new ratio (a zoom, another screen) may leave the CSS size as it was.
    const watchRatio = (): void => {
      matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener(
        'change',
        () => {
          this.fit();
          watchRatio();
        },
        { once: true },
      );
    };
    watchRatio();
    this.fit();
  }

  // The canvas gets the screen's own pixels: its CSS size times the device pixel ratio.
  private fit(): void {
    const box = this.canvas.getBoundingClientRect();
    const width = Math.round(box.width * devicePixelRatio);
    const height = Math.round(box.height * devicePixelRatio);
    if (width === this.width && height === this.height) return;
    this.width = width;
    this.height = height;
    this.page.resizePicture(width, height);
    this.canvas.width = this.page.pictureWidth();
    this.canvas.height = this.page.pictureHeight();
    this.shownVersion = -1;
    this.show();
  }

  // Copies the engine's pixels to the canvas when they changed since the last copy.
  show(): void {
    const version = this.page.pictureVersion();
    if (version === this.shownVersion) return;
    const w = this.page.pictureWidth();
    const h = this.page.pictureHeight();
    if (w === 0 || h === 0) return;
    // A fresh view each time: the engine's memory may have grown and moved.
    const view = this.page.pixels();
    const pixels = new Uint8ClampedArray(view.buffer, view.byteOffset, view.byteLength);
    this.context.putImageData(new ImageData(pixels, w, h), 0, 0);
    this.shownVersion = version;
  }
}
