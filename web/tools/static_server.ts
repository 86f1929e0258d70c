// SPDX-License-Identifier: GPL-3.0-or-later
// A static file server for the site: GET and HEAD of files under one folder, nothing outside it.

import { createReadStream } from 'node:fs';
import { realpath, stat } from 'node:fs/promises';
import { createServer, type Server } from 'node:http';
import type { AddressInfo } from 'node:net';
import { extname, join, sep } from 'node:path';

const types: Record<string, string> = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.json': 'application/json',
  '.txt': 'text/plain; charset=utf-8',
};

// The file a request path names under `root` (itself a real path), or null when the path is
// malformed or leads outside it (through "..", an encoded separator or a link).
export async function fileFor(root: string, urlPath: string): Promise<string | null> {
  let path: string;
  try {
    path = decodeURIComponent(urlPath.split('?')[0] ?? '');
  } catch {
    return null;
  }
  if (!path.startsWith('/') || path.includes('\0') || path.includes('\\')) return null;
  if (path.split('/').some((part) => part === '..')) return null;
  if (path.endsWith('/')) path += 'index.html';
  try {
    const real = await realpath(join(root, path));
    if (!real.startsWith(root + sep)) return null;
    return (await stat(real)).isFile() ? real : null;
  } catch {
    return null;
  }
}

export interface Serving {
  server: Server;
  url: string;
}

// Serves `folder` on host:port (port 0 picks a free one) until the server is closed.
export async function serve(folder: string, host: string, port: number): Promise<Serving> {
  const root = await realpath(folder);
  const server = createServer((request, response) => {
    const headers = { 'X-Content-Type-Options': 'nosniff', 'Cache-Control': 'no-cache' };
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405, { ...headers, Allow: 'GET, HEAD' }).end();
      return;
    }
    void fileFor(root, request.url ?? '/').then((file) => {
      if (!file) {
        response.writeHead(404, { ...headers, 'Content-Type': types['.txt'] }).end('Not found\n');
        return;
      }
      const type = types[extname(file)] ?? 'application/octet-stream';
      response.writeHead(200, { ...headers, 'Content-Type': type });
      if (request.method === 'HEAD') response.end();
      else createReadStream(file).pipe(response);
    });
  });
  await new Promise<void>((done, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => done());
  });
  const address = server.address() as AddressInfo;
  return { server, url: `http://${host}:${address.port}/` };
}
