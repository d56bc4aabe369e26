// A static file server for the browser edition's site, on 127.0.0.1 only:
// `node web/serve.mjs DIR [PORT]` prints the URL and serves until stopped.
// The browser tests start it on a free port through startServer.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.css': 'text/css', '.wasm': 'application/wasm', '.lev': 'application/octet-stream',
  '.bmp': 'image/bmp', '.rec': 'application/octet-stream', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.json': 'application/json',
};

export function startServer(root, port = 0) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let file = path.normalize(path.join(base, decodeURIComponent(url.pathname)));
    if (file !== base && !file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    if (file === base || url.pathname.endsWith('/')) file = path.join(file, 'index.html');
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
        return;
      }
      response.writeHead(200, {
        'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
        'Content-Length': data.length,
        'Cache-Control': 'no-cache',
      });
      response.end(data);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve({ server, url: `http://127.0.0.1:${server.address().port}/` }));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const root = process.argv[2] || 'build-web/site';
  const port = Number(process.argv[3] || 8080);
  const { url } = await startServer(root, port);
  console.log(`ZUNO in the browser: ${url}  (Ctrl-C stops the server)`);
}
