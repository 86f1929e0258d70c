// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the page: loads the engine, binds the controls, and runs the display-frame loop that
// ticks the gas, shows the readouts and copies the picture.

import { Form } from './form';
import { loadKinetic, type WebPage } from './kinetic_module';
import { MessageBox } from './message';
import { Picture } from './picture';

const readoutNames = ['Label1', 'Label2', 'Label3', 'Label7'] as const;

class App {
  private readonly picture: Picture;
  private readonly messages: MessageBox;
  private readonly shown = new Map<string, string>();

  constructor(private readonly page: WebPage) {
    this.messages = new MessageBox(page.caption('message'), page.caption('messageOk'));
    new Form(page, () => this.afterCommand());
    this.picture = new Picture(page);
    this.showReadouts();
    requestAnimationFrame((now) => this.frame(now));
  }

  private frame(now: number): void {
    try {
      this.page.frame(now);
      this.afterCommand();
    } catch (error) {
      this.messages.show(describe(error));
    } finally {
      requestAnimationFrame((next) => this.frame(next));
    }
  }

  // Whatever a command or a tick changed: a message to show, the readouts, the picture.
  private afterCommand(): void {
    const message = this.page.takeMessage();
    if (message) this.messages.show(message);
    this.showReadouts();
    this.picture.show();
  }

  private showReadouts(): void {
    for (const name of readoutNames) this.setText(name, this.page.readout(name));
    this.setText('pace', this.page.paceText());
  }

  private setText(id: string, text: string): void {
    if (this.shown.get(id) === text) return;
    this.shown.set(id, text);
    const target = document.getElementById(id);
    if (target) target.textContent = text;
  }
}

function describe(error: unknown): string {
  return error instanceof Error ? error.message : String(error);
}

function showLoadError(error: unknown): void {
  const box = document.getElementById('loadError');
  const loading = document.getElementById('loading');
  if (loading) loading.hidden = true;
  if (!box) return;
  box.textContent =
    `The simulation could not be loaded: ${describe(error)}. ` +
    'Check that kinetic.js and kinetic.wasm lie beside this page and that the browser runs ' +
    'WebAssembly, then reload the page.';
  box.hidden = false;
}

async function start(): Promise<void> {
  let page: WebPage;
  try {
    const kinetic = await loadKinetic();
    page = new kinetic.WebPage();
    // The browser tests reach the engine through these, as the desktop's tests reach its model.
    if (new URLSearchParams(location.search).has('test'))
      Object.assign(window, { kineticPage: page, kineticModule: kinetic });
  } catch (error) {
    showLoadError(error);
    return;
  }
  (document.getElementById('loading') as HTMLElement).hidden = true;
  (document.getElementById('controls') as HTMLElement).hidden = false;
  new App(page);
  document.getElementById('KineticModel')?.setAttribute('aria-busy', 'false');
}

void start();
