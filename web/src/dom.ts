// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers both the controls and the laboratory use to reach and mark the page's elements.

export function element<T extends HTMLElement>(id: string): T {
  const found = document.getElementById(id);
  if (!found) throw new Error(`the page has no element "${id}"`);
  return found as T;
}

// A field the engine refuses: marked, its words as its tooltip and description; otherwise
// `tip` or the field's hint, if any, as its tooltip.
export function markField(input: HTMLInputElement, problem: string, tip = ''): void {
  if (problem) {
    input.setAttribute('aria-invalid', 'true');
    input.title = problem;
    input.setAttribute('aria-description', problem);
  } else {
    input.removeAttribute('aria-invalid');
    input.removeAttribute('aria-description');
    const words = tip || input.dataset['hint'];
    if (words) input.title = words;
    else input.removeAttribute('title');
  }
}

// Refusals written out as text beneath their fields, one a line; hidden when there are none.
export function showRefusals(list: HTMLElement, lines: string[]): void {
  const text = lines.join('\n');
  if (list.dataset['shown'] === text) return;
  list.dataset['shown'] = text;
  list.replaceChildren();
  for (const line of lines) {
    const item = document.createElement(list.tagName === 'UL' ? 'li' : 'span');
    item.textContent = line;
    list.append(item);
  }
  list.hidden = lines.length === 0;
}
