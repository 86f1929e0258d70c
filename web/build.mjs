// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the site and the page's tools with esbuild:
//   node build.mjs --wasm DIR --out DIR
// DIR of --wasm holds kinetic.js and kinetic.wasm (the emscripten build); --out receives
// site/ (the files to serve), serve.mjs, tests/ and bench/ (for node).
import * as esbuild from 'esbuild';
import { copyFile, mkdir, readdir, rm, symlink } from 'node:fs/promises';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));

function option(name) {
  const at = process.argv.indexOf(name);
  if (at < 0 || at + 1 >= process.argv.length) {
    console.error(`usage: node build.mjs --wasm DIR --out DIR (${name} is missing)`);
    process.exit(2);
  }
  return resolve(process.argv[at + 1]);
}

const wasm = option('--wasm');
const out = option('--out');
const site = join(out, 'site');

await rm(site, { recursive: true, force: true });
await mkdir(site, { recursive: true });
await esbuild.build({
  entryPoints: { app: join(here, 'src/main.ts'), sweep_worker: join(here, 'src/sweep_worker.ts') },
  outdir: site,
  bundle: true,
  format: 'esm',
  target: 'es2022',
  minify: true,
  legalComments: 'none',
  logLevel: 'warning',
});
await esbuild.build({
  entryPoints: [join(here, 'style.css')],
  outfile: join(site, 'style.css'),
  bundle: true,
  minify: true,
  logLevel: 'warning',
});
await copyFile(join(here, 'index.html'), join(site, 'index.html'));
for (const file of ['kinetic.js', 'kinetic.wasm']) await copyFile(join(wasm, file), join(site, file));

// The server, the browser tests and the benchmark run under node from out/; node finds their
// packages through out/node_modules.
const tests = (await readdir(join(here, 'tests'))).filter((f) => f.endsWith('.test.ts'));
await esbuild.build({
  entryPoints: [
    join(here, 'tools/serve.ts'),
    join(here, 'tools/bench.ts'),
    ...tests.map((f) => join(here, 'tests', f)),
  ],
  outdir: out,
  outbase: here,
  outExtension: { '.js': '.mjs' },
  bundle: true,
  platform: 'node',
  format: 'esm',
  target: 'node20',
  packages: 'external',
  logLevel: 'warning',
});
await rm(join(out, 'node_modules'), { force: true });
await symlink(join(here, 'node_modules'), join(out, 'node_modules'), 'dir');
console.log(`site built in ${site}`);
