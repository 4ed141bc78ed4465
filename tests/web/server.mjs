// A static file server for the site on 127.0.0.1, as any web server would
// serve it, that can pretend some files are not there.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.mjs': 'text/javascript',
  '.css': 'text/css',
  '.json': 'application/json',
  '.wasm': 'application/wasm',
};

// Serves folder on a free port; resolves to { origin, close() }. Paths in
// missing (e.g. 'data/Tex3.MOT') answer 404.
export function serve(folder, missing = []) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^\/+/, '');
    const file = path === '' ? 'index.html' : path;
    if (file.startsWith('..') || missing.includes(file)) {
      response.writeHead(404).end();
      return;
    }
    try {
      const body = await readFile(join(folder, file));
      response.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      const origin = `http://127.0.0.1:${server.address().port}`;
      resolve({ origin, close: () => new Promise((done) => server.close(done)) });
    });
  });
}
