// scripts/serve-site on the built site: each precompressed copy that
// scripts/build-web wrote holds its original's bytes, and a request gets the
// copy its Accept-Encoding takes, with the original's Content-Type, or the
// file as it is.
// CITADEL_SITE: the built site.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { get } from 'node:http';
import { join, relative } from 'node:path';
import { brotliDecompressSync, gunzipSync } from 'node:zlib';

const site = process.env.CITADEL_SITE;
const script = new URL('../../scripts/serve-site', import.meta.url).pathname;
let server;
let origin;

before(async () => {
  assert.ok(site, 'CITADEL_SITE must be set');
  server = spawn(script, [site, '0'], { stdio: ['ignore', 'ignore', 'pipe'] });
  origin = await new Promise((resolve, reject) => {
    let text = '';
    server.stderr.on('data', (chunk) => {
      text += chunk;
      const m = /(http:\/\/127\.0\.0\.1:\d+)\//.exec(text);
      if (m) resolve(m[1]);
    });
    server.on('exit', (code) => reject(new Error(`scripts/serve-site ended (${code}): ${text}`)));
  });
});

after(() => server?.kill());

// The answer's status, headers and body as sent: no decoding on the way.
function fetchRaw(path, acceptEncoding) {
  const headers = acceptEncoding === undefined ? {} : { 'Accept-Encoding': acceptEncoding };
  return new Promise((resolve, reject) => {
    get(origin + path, { headers }, (response) => {
      const chunks = [];
      response.on('data', (c) => chunks.push(c));
      response.on('end', () => resolve({ status: response.statusCode, headers: response.headers,
        body: Buffer.concat(chunks) }));
    }).on('error', reject);
  });
}

const decode = { br: brotliDecompressSync, gzip: gunzipSync, identity: (b) => b };

function filesUnder(folder) {
  return readdirSync(folder, { withFileTypes: true, recursive: true })
    .filter((e) => e.isFile()).map((e) => join(e.parentPath ?? e.path, e.name));
}

test('every precompressed copy in the site unpacks to its original, and the large files have both', () => {
  const files = filesUnder(site);
  const copies = files.filter((f) => f.endsWith('.gz') || f.endsWith('.br'));
  for (const copy of copies) {
    const original = copy.slice(0, -3);
    const unpack = copy.endsWith('.gz') ? gunzipSync : brotliDecompressSync;
    assert.ok(unpack(readFileSync(copy)).equals(readFileSync(original)), relative(site, copy));
  }
  for (const name of ['index.html', 'citadel.js', 'citadel.wasm', 'data/Tex0.MOT', 'data/morvek.xm'])
    for (const suffix of ['.gz', '.br']) assert.ok(copies.includes(join(site, name + suffix)), name + suffix);
  const plain = files.filter((f) => !copies.includes(f)).reduce((sum, f) => sum + readFileSync(f).length, 0);
  const smallest = files.filter((f) => !copies.includes(f)).reduce((sum, f) => sum +
    Math.min(...['', '.gz', '.br'].filter((s) => s === '' || copies.includes(f + s))
      .map((s) => readFileSync(f + s).length)), 0);
  console.log(`site: ${(plain / 1e6).toFixed(2)} MB, ${(smallest / 1e6).toFixed(2)} MB sent precompressed`);
});

test('a request gets the copy its Accept-Encoding takes, with the original\'s type, else the file', async () => {
  const cases = [
    // path, Accept-Encoding, the coding sent, Content-Type
    ['/', undefined, 'identity', 'text/html'],
    ['/', 'gzip, deflate, br', 'br', 'text/html'],
    ['/index.html', 'gzip', 'gzip', 'text/html'],
    ['/citadel.wasm', 'br;q=0, gzip;q=0.5', 'gzip', 'application/wasm'],
    ['/citadel.wasm', 'identity', 'identity', 'application/wasm'],
    ['/citadel.js', 'deflate, br', 'br', 'text/javascript'],
    ['/data/Tex0.MOT', 'gzip, br', 'br', 'application/octet-stream'],
  ];
  for (const [path, accept, coding, type] of cases) {
    const { status, headers, body } = await fetchRaw(path, accept);
    const where = `${path} with Accept-Encoding ${accept}`;
    assert.equal(status, 200, where);
    assert.equal(headers['content-encoding'] ?? 'identity', coding, where);
    assert.ok(headers['content-type'].startsWith(type), `${where}: ${headers['content-type']}`);
    assert.equal(headers.vary, 'Accept-Encoding', where);
    assert.equal(Number(headers['content-length']), body.length, where);
    const file = join(site, path === '/' ? 'index.html' : path);
    assert.ok(decode[coding](body).equals(readFileSync(file)), where);
  }
  assert.equal((await fetchRaw('/absent.js', 'gzip')).status, 404);
});
