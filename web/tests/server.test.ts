// SPDX-License-Identifier: GPL-3.0-or-later
// The static server: the site's files with their types, and nothing outside the folder.

import assert from 'node:assert/strict';
import { request } from 'node:http';
import { mkdir, mkdtemp, rm, symlink, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { serve, type Serving } from '../tools/static_server';

let folder: string;
let serving: Serving;

before(async () => {
  folder = await mkdtemp(join(tmpdir(), 'kinetic-serve-'));
  await mkdir(join(folder, 'site'));
  await writeFile(join(folder, 'site', 'index.html'), '<p>page</p>');
  await writeFile(join(folder, 'site', 'kinetic.wasm'), Buffer.from([0, 97, 115, 109]));
  await writeFile(join(folder, 'secret.txt'), 'secret');
  await symlink(join(folder, 'secret.txt'), join(folder, 'site', 'link.txt'));
  serving = await serve(join(folder, 'site'), '127.0.0.1', 0);
});
after(async () => {
  await new Promise((done) => serving.server.close(done));
  await rm(folder, { recursive: true, force: true });
});

// Sends a raw path, as a client that does not tidy it would.
function get(path: string, method = 'GET'): Promise<{ status: number; type: string; body: string }> {
  const url = new URL(serving.url);
  return new Promise((done, fail) => {
    const r = request({ host: url.hostname, port: url.port, path, method }, (response) => {
      let body = '';
      response.on('data', (c) => (body += c));
      response.on('end', () =>
        done({ status: response.statusCode ?? 0, type: String(response.headers['content-type']), body }));
    });
    r.on('error', fail);
    r.end();
  });
}

test('serves the site\'s files with their types', async () => {
  const index = await get('/');
  assert.equal(index.status, 200);
  assert.equal(index.type, 'text/html; charset=utf-8');
  assert.equal(index.body, '<p>page</p>');
  assert.equal((await get('/index.html?x=1')).status, 200);
  assert.equal((await get('/kinetic.wasm')).type, 'application/wasm');
  assert.equal((await get('/kinetic.wasm', 'HEAD')).status, 200);
  assert.equal(serving.url.startsWith('http://127.0.0.1:'), true);
});

test('refuses what lies outside the folder, malformed paths and other methods', async () => {
  for (const path of ['/../secret.txt', '/%2e%2e/secret.txt', '/..%2fsecret.txt', '/link.txt',
    '/%00', '/%', '/..\\secret.txt', '/missing.js', '//etc/passwd'])
    assert.equal((await get(path)).status, 404, path);
  assert.equal((await get('/index.html', 'POST')).status, 405);
  assert.equal((await get('/index.html', 'PUT')).status, 405);
});
