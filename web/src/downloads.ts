// SPDX-License-Identifier: GPL-3.0-or-later
// Files offered to the user as downloads.

export function offerDownload(name: string, data: Blob): void {
  const url = URL.createObjectURL(data);
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  link.hidden = true;
  document.body.append(link);
  link.click();
  link.remove();
  // The browser has taken the file once the click has been handled.
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

export function offerText(name: string, text: string, type = 'text/csv'): void {
  offerDownload(name, new Blob([text], { type: `${type};charset=utf-8` }));
}

export function canvasBlob(canvas: HTMLCanvasElement): Promise<Blob> {
  return new Promise((done, fail) =>
    canvas.toBlob((blob) => (blob ? done(blob) : fail(new Error('the picture could not be made'))), 'image/png'),
  );
}
