// SPDX-License-Identifier: GPL-3.0-or-later
// The controls: every caption, field text, mark and colour as the engine gives it, and every
// change or command passed on to it. The page decides nothing itself.

import { element, markField, showRefusals } from './dom';
import type { WebPage } from './kinetic_module';

export const speciesRows = 4;

const fieldNames = [
  ...Array.from({ length: speciesRows }, (_, k) => `txt_how_many_${k}`),
  ...Array.from({ length: speciesRows }, (_, k) => `txt_masses_${k}`),
  'txtParticleRad',
  'txtProximity',
  'txtVelRange',
];

export class Form {
  private readonly fields = new Map<string, HTMLInputElement>();

  constructor(
    private readonly page: WebPage,
    private readonly afterCommand: () => void,
    // A count or the proximity typed, and such a field left: the laboratory makes one event of it.
    private readonly edited: () => void = () => {},
    private readonly left: () => void = () => {},
  ) {
    this.buildSpeciesRows();
    for (const id of [
      'runSImulation', 'cmd_stop_simulation', 'Command2', 'mass_in_amu', 'number_of_masses',
      'lblVelRange', 'lblProximity', 'lbl_particleRadius', 'Label4', 'Label5', 'Label6',
      'heading', 'intro', 'timeCaption',
    ]) {
      element(id).textContent = page.caption(id);
    }
    for (const id of ['Label1', 'Label2', 'Label3', 'Label7'])
      element(`${id}Unit`).textContent = page.caption(`${id}.unit`);
    document.title = page.caption('KineticModel');
    element('Picture1').setAttribute('aria-label', page.caption('Picture1'));

    for (const name of fieldNames) {
      const input = element<HTMLInputElement>(name);
      input.value = page.fieldText(name);
      input.spellcheck = false;
      const followed = name.startsWith('txt_how_many_') || name === 'txtProximity';
      input.addEventListener('input', () => {
        page.typeInto(name, input.value);
        if (followed) this.edited();
        this.markFields();
      });
      if (followed) input.addEventListener('blur', () => this.left());
      this.fields.set(name, input);
    }
    this.command('runSImulation', () => page.runSimulation());
    this.command('cmd_stop_simulation', () => page.pause());
    this.command('Command2', () => page.restart());
    element('controls').addEventListener('submit', (e) => e.preventDefault());
    this.explainControls();
    this.markFields();
  }

  // What each control does: its tooltip on hover, and the hint line on hover and on focus
  // (which a touch screen or a keyboard user sees too).
  private explainControls(): void {
    const hint = element('hint');
    const hintOf = (id: string): string => {
      if (id.startsWith('txt_masses_')) return this.page.caption('mass.hint');
      if (id.startsWith('txt_how_many_')) return this.page.caption('count.hint');
      if (id.startsWith('cmd_color_')) return this.page.caption('color.hint');
      return this.page.caption(`${id}.hint`);
    };
    const controls = element('controls');
    for (const e of controls.querySelectorAll<HTMLElement>('button, input')) {
      const words = hintOf(e.id);
      if (!words) continue;
      e.dataset['hint'] = words;
      if (!e.title) e.title = words;
    }
    const show = (e: Event): void => {
      const target = (e.target as HTMLElement).closest<HTMLElement>('[data-hint]');
      if (target) hint.textContent = target.dataset['hint'] ?? '';
    };
    controls.addEventListener('focusin', show);
    controls.addEventListener('mouseover', show);
  }

  private command(id: string, run: () => void): void {
    element(id).addEventListener('click', () => {
      run();
      this.afterCommand();
    });
  }

  private buildSpeciesRows(): void {
    const group = element('controls').querySelector('.species') as HTMLElement;
    for (let k = 0; k < speciesRows; ++k) {
      const massId = document.createElement('label');
      massId.id = `lbl_mass_id_${k}`;
      massId.htmlFor = `txt_masses_${k}`;
      massId.textContent = this.page.caption(massId.id);

      const mass = this.input(`txt_masses_${k}`);
      const howMany = document.createElement('label');
      howMany.id = `lbl_how_many_m_${k}`;
      howMany.htmlFor = `txt_how_many_${k}`;
      howMany.textContent = this.page.caption(howMany.id);
      const count = this.input(`txt_how_many_${k}`);
      count.setAttribute('aria-labelledby', `${howMany.id} ${massId.id}`);

      const face = document.createElement('span');
      face.className = 'colour';
      const caption = document.createElement('span');
      caption.id = `cmd_color_${k}`;
      caption.textContent = this.page.caption(caption.id);
      caption.setAttribute('aria-hidden', 'true');
      const picker = document.createElement('input');
      picker.type = 'color';
      picker.id = `cmd_color_${k}_input`;
      picker.setAttribute('aria-labelledby', `${caption.id} ${massId.id}`);
      picker.title = this.page.colorTitle(k);
      picker.addEventListener('change', () => {
        this.page.pickColor(k, picker.value);
        this.paintColour(k);
      });
      face.append(picker, caption);
      group.append(massId, mass, howMany, count, face);
      this.paintColour(k);
    }
    const refusals = document.createElement('ul');
    refusals.id = 'speciesRefusals';
    refusals.className = 'refusals';
    refusals.hidden = true;
    group.append(refusals);
  }

  private input(id: string): HTMLInputElement {
    const input = document.createElement('input');
    input.id = id;
    input.className = 'field';
    return input;
  }

  private paintColour(k: number): void {
    const face = element<HTMLInputElement>(`cmd_color_${k}_input`);
    const colour = this.page.speciesColor(k);
    face.value = colour;
    const box = face.parentElement as HTMLElement;
    box.style.backgroundColor = colour;
    box.style.color = this.page.captionColor(k);
  }

  // The fields' texts as the engine has them (after a setup by name).
  showTexts(): void {
    for (const [name, input] of this.fields) input.value = this.page.fieldText(name);
    this.markFields();
  }

  // Marks every field that the engine says "Run Simulation" would refuse (or, for the
  // proximity, does not take), its words as the field's tooltip and description.
  markFields(): void {
    const written = { speciesRefusals: [] as string[], settingsRefusals: [] as string[] };
    for (const [name, input] of this.fields) {
      input.placeholder = this.page.fieldPlaceholder(name);
      const problem = this.page.fieldProblem(name);
      markField(input, problem);
      if (problem) (name.startsWith('txt_') ? written.speciesRefusals : written.settingsRefusals).push(`${this.labelOf(input)}: ${problem}`);
    }
    // The refusals written out beneath their fields: a touch screen shows no tooltip.
    for (const [id, lines] of Object.entries(written)) showRefusals(element(id), lines);
  }

  private labelOf(input: HTMLInputElement): string {
    const by = input.getAttribute('aria-labelledby');
    if (by) return by.split(' ').map((id) => element(id).textContent ?? '').reverse().join(', ');
    return input.labels?.[0]?.textContent ?? input.id;
  }
}
