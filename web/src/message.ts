// SPDX-License-Identifier: GPL-3.0-or-later
// The page's message box: a modal dialog with the engine's title, text and button caption.

export class MessageBox {
  private readonly dialog: HTMLDialogElement;
  private readonly text: HTMLElement;
  private returnFocus: HTMLElement | null = null;

  constructor(title: string, ok: string) {
    this.dialog = document.getElementById('message') as HTMLDialogElement;
    this.text = document.getElementById('messageText') as HTMLElement;
    (document.getElementById('messageTitle') as HTMLElement).textContent = title;
    const button = document.getElementById('messageOk') as HTMLButtonElement;
    button.textContent = ok;
    button.addEventListener('click', () => this.dialog.close());
    this.dialog.addEventListener('close', () => {
      this.returnFocus?.focus();
      this.returnFocus = null;
    });
  }

  // Shows `text`; a second message while one is open replaces it.
  show(text: string): void {
    this.text.textContent = text;
    if (this.dialog.open) return;
    const active = document.activeElement;
    this.returnFocus = active instanceof HTMLElement && active !== document.body ? active : null;
    this.dialog.showModal();
    (document.getElementById('messageOk') as HTMLButtonElement).focus();
  }

  get open(): boolean {
    return this.dialog.open;
  }
}
