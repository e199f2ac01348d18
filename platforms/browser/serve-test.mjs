// The development server against hostile requests: each answers with a status, the server
// stays up, and nothing outside the site folder is served.   node --test platforms/browser/serve-test.mjs
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { startServer } from './serve.mjs';

const top = fs.mkdtempSync(path.join(os.tmpdir(), 'orbitra-serve-'));
const page = '<!DOCTYPE html><title>t</title>'.repeat(50);
fs.mkdirSync(path.join(top, 'site'));
fs.mkdirSync(path.join(top, 'site-private'));
fs.writeFileSync(path.join(top, 'site', 'index.html'), page);
fs.writeFileSync(path.join(top, 'site-private', 'secret.txt'), 'secret');
// Links out of the folder, and one that stays inside it.
fs.symlinkSync(path.join(top, 'site-private'), path.join(top, 'site', 'private'));
fs.symlinkSync(path.join(top, 'site-private', 'secret.txt'), path.join(top, 'site', 'secret.txt'));
fs.symlinkSync('index.html', path.join(top, 'site', 'again.html'));
const server = await startServer(path.join(top, 'site'));
const whole = await startServer('/');
// Each on its own: an older Node's close() returns nothing.
after(() => {
  server.close();
  whole.close();
  fs.rmSync(top, { recursive: true });
});

// The raw request, unnormalised, as a hostile client sends it; a body only counted when `count`.
const send = (method, target, headers = {}, count = false, to = server) => new Promise((resolve, reject) => {
  http.request({ host: '127.0.0.1', port: to.address().port, method, path: target, headers },
    (response) => {
      const chunks = [];
      let length = 0;
      response.on('data', (chunk) => (count ? (length += chunk.length) : chunks.push(chunk)));
      response.on('end', () => resolve({ statusCode: response.statusCode,
        headers: response.headers, body: Buffer.concat(chunks), length }));
    }).on('error', reject).end();
});

test('malformed requests get 400 and leave the server up', { timeout: 10000 }, async () => {
  assert.equal((await send('GET', '/%E0%A4%A')).statusCode, 400);
  assert.equal((await send('GET', '/index.html%00.txt')).statusCode, 400);
  assert.equal((await send('GET', '/')).statusCode, 200);
});

test('nothing outside the site folder, not even a sibling with the same prefix', async () => {
  for (const target of ['/..%2fsite-private%2fsecret.txt', '/../site-private/secret.txt',
                        '/private/secret.txt', '/secret.txt']) {
    const answer = await send('GET', target);
    assert.ok(answer.statusCode >= 400 && !answer.body.includes('secret'), target);
  }
  assert.equal((await send('GET', '/again.html')).body.toString(), page);
  // Served from /, any file is inside.
  assert.equal((await send('GET', `${top}/site/index.html`, {}, false, whole)).body.toString(), page);
});

test('large files streamed, compressed or not: five clients of 200 MB in bounded memory', { timeout: 120000 }, async () => {
  const size = 200 << 20;
  fs.writeFileSync(path.join(top, 'site', 'big.data'), '');
  fs.truncateSync(path.join(top, 'site', 'big.data'), size);
  const start = process.memoryUsage().rss;
  let peak = start;
  const watch = setInterval(() => (peak = Math.max(peak, process.memoryUsage().rss)), 20);
  const answers = await Promise.all(['gzip', '', '', '', ''].map((coding) =>
    send('GET', '/big.data', { 'Accept-Encoding': coding }, true)));
  clearInterval(watch);
  assert.deepEqual(answers.map((answer) => answer.length > size / 2000), Array(5).fill(true));
  assert.deepEqual(answers.slice(1).map((answer) => answer.length), Array(4).fill(size));
  assert.ok(peak - start < 64 << 20, `${(peak - start) >> 20} MiB more memory`);
});

test('bad arguments and a port in use end in one line', () => {
  const serve = fileURLToPath(new URL('./serve.mjs', import.meta.url));
  for (const args of [[], [path.join(top, 'site'), 'eighty'],
                      [path.join(top, 'site'), String(server.address().port)]]) {
    const { status, stderr } = spawnSync(process.execPath, [serve, ...args], { encoding: 'utf8' });
    assert.ok(status > 0 && /^serve: [^\n]+\n$/.test(stderr), `${args}: ${status} ${stderr}`);
  }
});

test('only GET and HEAD; gzip when accepted', async () => {
  for (const method of ['POST', 'PUT', 'DELETE']) {
    assert.equal((await send(method, '/index.html')).headers.allow, 'GET, HEAD', method);
  }
  const head = await send('HEAD', '/index.html');
  assert.deepEqual([head.statusCode, head.body.length, Number(head.headers['content-length'])],
                   [200, 0, page.length]);
  const packed = await send('GET', '/', { 'Accept-Encoding': 'gzip, deflate' });
  assert.equal(packed.headers['content-encoding'], 'gzip');
  assert.equal(zlib.gunzipSync(packed.body).toString(), page);
  assert.equal((await send('GET', '/index.html')).body.toString(), page);
  assert.equal((await send('GET', '/missing.js')).statusCode, 404);
  fs.writeFileSync(path.join(top, 'site', 'empty.txt'), '');
  const empty = [await send('GET', '/empty.txt'), await send('GET', '/empty.txt', { 'Accept-Encoding': 'gzip' })];
  assert.deepEqual([empty[0].body.length, zlib.gunzipSync(empty[1].body).length], [0, 0]);
  // Refused by a quality of 0 (or one that is no quality), accepted by any other.
  for (const [accepted, gzip] of [['gzip;q=0', false], ['deflate, *;q=0', false],
    ['gzip; q=0.000, *', false], ['gzip;q=2', false], ['gzip;q=0.0001', false], ['*', true], ['GZIP;Q=0.5', true],
    ['br;q=1, x-gzip;q=0.001', true]]) {
    const answer = await send('GET', '/index.html', { 'Accept-Encoding': accepted });
    assert.equal(answer.headers['content-encoding'], gzip ? 'gzip' : undefined, accepted);
    assert.equal((gzip ? zlib.gunzipSync(answer.body) : answer.body).toString(), page, accepted);
  }
});
