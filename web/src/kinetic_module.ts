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
  hasRun(): boolean;

  // The laboratory (app/lab_rules.h): texts, refusals and chart descriptions as JSON.
  openLab(): void;
  closeLab(): void;
  labOpen(): boolean;
  labCaption(name: string): string;
  tabNames(): string;
  paceNames(): string;
  tabJson(tab: number, quantity: number): string;
  fieldEdited(): void;
  fieldSettled(): void;
  setPace(index: number): void;
  paceIndex(): number;
  stepEnabled(): boolean;
  step(): void;
  ruleExact(): boolean;
  setRule(exact: boolean): void;
  heatFactorProblem(text: string): string;
  heat(species: number, factor: string): void;
  equalEnergies(): void;
  speciesJson(): string;
  wallTemperatureProblem(text: string): string;
  setWalls(left: string, right: string, bottom: string, top: string): void;
  holdTemperature(kT: string): void;
  moveWall(target: string, speed: string): void;
  setPiston(pressure: string, mass: string): void;
  wallTexts(): string;
  setField(g: string): void;
  openDivider(width: string): void;
  closeDivider(): void;
  setSides(s1: number, s2: number, s3: number, s4: number): void;
  fieldTexts(): string;
  sideName(k: number): string;
  startGasLaw(process: number): void;
  warmupProblem(text: string): string;
  setWarmup(text: string): void;
  warmup(): number;
  note(): string;
  setNote(text: string): void;
  labTicks(): number;
  exportFiles(): string;
  sweepProblem(discs: string, etas: string, seeds: string, warmup: string, ticks: string): string;
  showSweep(csv: string): string;
  sweepCsv(): string;
  sweepProblems(): string;
  hasSweep(): boolean;

  // Setups by kinetic-measure's option names, and its measurements.
  setup(options: [string, string][]): string;
  setupOptions(): string;
  stepTicks(n: number): number;
  ticks(): number;
  measure(): string;
  delete(): void;
}

// A sweep run in a worker, one run at a time.
export interface WebSweep {
  problem(): string;
  total(): number;
  runNext(progress: (done: number) => void): boolean;
  csv(): string;
  delete(): void;
}

export interface KineticModule {
  WebPage: new () => WebPage;
  WebSweep: new (discs: string, etas: string, seeds: string, warmup: string, ticks: string) => WebSweep;
  goldenChecksum(): string;
  tickMicroseconds(particles: number, exact: boolean, ticks: number, repeats: number): number;
}

type Factory = (options?: object) => Promise<KineticModule>;

// Loads kinetic.js and kinetic.wasm from beside the page; rejects with the reason when either
// cannot be had or compiled.
export async function loadKinetic(base: string = document.baseURI): Promise<KineticModule> {
  // A path the bundler leaves alone: the loader is built beside the page, not bundled.
  const url = new URL('kinetic.js', base).href;
  const loader = (await import(/* @vite-ignore */ url)) as { default: Factory };
  // A missing or broken kinetic.wasm rejects the factory's promise with the reason.
  return loader.default();
}
