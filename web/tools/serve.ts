// SPDX-License-Identifier: GPL-3.0-or-later
// node serve.mjs DIR [--port N]: serves the site in DIR on 127.0.0.1 until stopped.

import { serve } from './static_server';

const args = process.argv.slice(2);
const folder = args.find((a, i) => !a.startsWith('--') && args[i - 1] !== '--port');
const portAt = args.indexOf('--port');
const port = portAt >= 0 ? Number(args[portAt + 1]) : 8000;
if (!folder || !Number.isInteger(port) || port < 0 || port > 65535) {
  console.error('usage: node serve.mjs DIR [--port N]   (N from 0 to 65535)');
  process.exit(2);
}
try {
  const { url } = await serve(folder, '127.0.0.1', port);
  console.log(`Kinetic Model is served at ${url} (Ctrl+C stops)`);
} catch (error) {
  console.error(`cannot serve ${folder} on port ${port}: ${(error as Error).message}`);
  process.exit(1);
}
