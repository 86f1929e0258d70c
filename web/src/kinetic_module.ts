// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled engine as the page sees it (web/bindings.cpp), and its loading.

export interface WebPage {
  caption(name: string): string;
  fieldText(name: string): string;
  fieldProblem(name: string): string;
  fieldPlaceholder(name: string): string;
  typeInto(name: string, text: string): void;
  runSimulation(): void;
  pause(): void;
  restart(): void;
  speciesColor(k: number): string;
  captionColor(k: number): string;
  colorTitle(k: number): string;
  pickColor(k: number, hex: string): void;
  running(): boolean;
  readout(name: string): string;
  takeMessage(): string;
  frame(nowMs: number): number;
  paceText(): string;
  resizePicture(width: number, height: number): void;
  pictureWidth(): number;
  pictureHeight(): number;
  pictureVersion(): number;
  pixels(): Uint8Array<ArrayBuffer>;
  setParticle(i: number, x: number, y: number, mass: number): void;
  delete(): void;
}

export interface KineticModule {
  WebPage: new () => WebPage;
  goldenChecksum(): string;
  tickMicroseconds(particles: number, ticks: number, repeats: number): number;
}

type Factory = (options?: object) => Promise<KineticModule>;

// Loads kinetic.js and kinetic.wasm from beside the page; rejects with the reason when either
// cannot be had or compiled.
export async function loadKinetic(): Promise<KineticModule> {
  // A path the bundler leaves alone: the loader is built beside the page, not bundled.
  const url = new URL('kinetic.js', document.baseURI).href;
  const loader = (await import(/* @vite-ignore */ url)) as { default: Factory };
  // A missing or broken kinetic.wasm rejects the factory's promise with the reason.
  return loader.default();
}
