// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the page: loads the engine, binds the controls and the laboratory, takes a setup from
// the address, and runs the display-frame loop that ticks the gas, shows the readouts, copies
// the picture and refreshes the laboratory's charts when their time has come.

import { Form } from './form';
import { loadKinetic, type WebPage } from './kinetic_module';
import { LabPanel } from './lab/lab_panel';
import { MessageBox } from './message';
import { Picture } from './picture';
import { KineticModelApi, labSetupNames, linkFor, setupFromAddress } from './scripting';

const readoutNames = ['Label1', 'Label2', 'Label3', 'Label7'] as const;
// The readouts change every frame and are not live regions; a screen reader hears them
// together, politely, at most this often while the gas runs.
const newsIntervalMs = 5000;

class App {
  private readonly picture: Picture;
  private readonly messages: MessageBox;
  private readonly form: Form;
  readonly lab: LabPanel;
  private readonly shown = new Map<string, string>();
  private lastNews = -Infinity;
  // Where the frames' time went, in ms since the page started: the ticks, the readouts and
  // picture copy, the laboratory (its charts). The benchmark reads it.
  readonly frameTimes = { ticks: 0, shown: 0, lab: 0, frames: 0 };

  constructor(private readonly page: WebPage) {
    this.messages = new MessageBox(page.caption('message'), page.caption('messageOk'));
    this.lab = new LabPanel(page, (text) => this.messages.show(text), () => this.afterCommand());
    this.form = new Form(
      page,
      () => this.afterCommand(),
      () => this.lab.fieldEdited(),
      () => this.lab.fieldLeft(),
    );
    this.picture = new Picture(page);
    const open = document.getElementById('openLab') as HTMLButtonElement;
    open.textContent = page.labCaption('openLab');
    open.addEventListener('click', () => (this.lab.open ? this.lab.close() : this.lab.show()));
    document.addEventListener('keydown', (e) => {
      if (e.altKey && !e.ctrlKey && !e.metaKey && e.key.toLowerCase() === 'l') {
        e.preventDefault();
        this.lab.show();
      }
    });
    const copy = document.getElementById('copyLink') as HTMLButtonElement;
    copy.textContent = page.labCaption('copyLink');
    copy.addEventListener('click', () => void this.copyLink());
    this.showReadouts();
    requestAnimationFrame((now) => this.frame(now));
  }

  private frame(now: number): void {
    try {
      const t0 = performance.now();
      this.page.frame(now);
      const t1 = performance.now();
      this.afterCommand();
      this.announce(now);
      const t2 = performance.now();
      this.lab.frame(now);
      const t3 = performance.now();
      const f = this.frameTimes;
      f.ticks += t1 - t0;
      f.shown += t2 - t1;
      f.lab += t3 - t2;
      ++f.frames;
    } catch (error) {
      this.messages.show(describe(error));
    } finally {
      requestAnimationFrame((next) => this.frame(next));
    }
  }

  // Whatever a command or a tick changed: a message to show, the readouts, the picture.
  afterCommand(): void {
    const message = this.page.takeMessage();
    if (message) this.messages.show(message);
    this.showReadouts();
    this.picture.show();
  }

  // After a setup by name: the fields' texts, the laboratory open.
  setUp(): void {
    this.form.showTexts();
    if (this.page.labOpen() && !this.lab.open) this.lab.show();
    this.lab.syncControls();
    this.afterCommand();
  }

  private async copyLink(): Promise<void> {
    const link = linkFor(this.page);
    const note = document.getElementById('linkNote') as HTMLElement;
    try {
      await navigator.clipboard.writeText(link);
      note.textContent = `${this.page.labCaption('linkCopied')} ${link}`;
    } catch {
      note.textContent = `${this.page.labCaption('linkShown')} ${link}`;
    }
  }

  private showReadouts(): void {
    for (const name of readoutNames) this.setText(name, this.page.readout(name));
    this.setText('pace', this.page.paceText());
  }

  private announce(now: number): void {
    if (!this.page.running() || now - this.lastNews < newsIntervalMs || this.page.readout('Label1') === '') return;
    this.lastNews = now;
    const caption = (id: string) => this.page.caption(id).replace(/:$/, '');
    const news = [
      `${this.page.caption('timeCaption')} ${this.page.readout('Label1')}`,
      `${caption('Label6')} ${this.page.readout('Label7')}`,
      `${caption('Label4')} ${this.page.readout('Label2')}`,
      `${caption('Label5')} ${this.page.readout('Label3')}`,
      this.page.paceText(),
    ].filter((part) => part.trim() !== '');
    this.setText('readoutNews', news.join(', '));
  }

  private setText(id: string, text: string): void {
    if (this.shown.get(id) === text) return;
    this.shown.set(id, text);
    const target = document.getElementById(id);
    if (target) target.textContent = text;
  }

  showMessage(text: string): void {
    this.messages.show(text);
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
  let kinetic;
  try {
    kinetic = await loadKinetic();
    page = new kinetic.WebPage();
  } catch (error) {
    showLoadError(error);
    return;
  }
  (document.getElementById('loading') as HTMLElement).hidden = true;
  (document.getElementById('controls') as HTMLElement).hidden = false;
  const app = new App(page);
  const api = new KineticModelApi(page, { setUp: () => app.setUp(), changed: () => app.afterCommand() });
  Object.assign(window, { KineticModel: api });
  // The browser tests reach the engine through these, as the desktop's tests reach its model.
  if (new URLSearchParams(location.search).has('test'))
    Object.assign(window, { kineticPage: page, kineticModule: kinetic, kineticLab: app.lab, kineticFrames: app.frameTimes });
  // A setup in the address: the gas it names, running; a bad one is refused in words.
  const named = setupFromAddress(location.search);
  if (named.length > 0) {
    const why = page.setup(named);
    // The laboratory opens for a link that names one of its settings, as Copy link writes them
    // only while it is open.
    if (!named.some(([name]) => labSetupNames.includes(name))) page.closeLab();
    app.setUp();
    if (why) app.showMessage(why);
    else api.run();
  }
  document.getElementById('KineticModel')?.setAttribute('aria-busy', 'false');
}

void start();
