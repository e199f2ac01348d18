// The development server against hostile requests: each answers with a status, the server
// stays up, and nothing outside the site folder is served.   node --test tests/web/serve-test.mjs
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { startServer } from '../../web/serve.mjs';

const top = fs.mkdtempSync(path.join(os.tmpdir(), 'orbitra-serve-'));
fs.mkdirSync(path.join(top, 'site'));
fs.mkdirSync(path.join(top, 'site-private'));
const page = '<!DOCTYPE html><title>t</title>'.repeat(50);
fs.writeFileSync(path.join(top, 'site', 'index.html'), page);
fs.writeFileSync(path.join(top, 'site-private', 'secret.txt'), 'secret');
const server = await startServer(path.join(top, 'site'));
after(() => {
  server.close();
  fs.rmSync(top, { recursive: true });
});

// The raw request, unnormalised, as a hostile client sends it.
function send(method, target, headers = {}) {
  return new Promise((resolve, reject) => {
    const request = http.request({ host: '127.0.0.1', port: server.address().port, method,
                                   path: target, headers }, (response) => {
      const chunks = [];
      response.on('data', (chunk) => chunks.push(chunk));
      response.on('end', () => resolve({ status: response.statusCode,
                                         headers: response.headers,
                                         body: Buffer.concat(chunks) }));
    });
    request.on('error', reject);
    request.end();
  });
}

test('malformed requests get 400 and leave the server up', { timeout: 10000 }, async () => {
  assert.equal((await send('GET', '/%E0%A4%A')).status, 400);
  assert.equal((await send('GET', '/index.html%00.txt')).status, 400);
  assert.equal((await send('GET', '/')).status, 200);
});

test('nothing outside the site folder, not even a sibling with the same prefix', async () => {
  for (const target of ['/..%2fsite-private%2fsecret.txt', '/../site-private/secret.txt',
                        '/%2e%2e/site-private/secret.txt']) {
    const answer = await send('GET', target);
    assert.notEqual(answer.status, 200, target);
    assert.ok(!answer.body.includes('secret'), target);
  }
});

test('only GET and HEAD', async () => {
  for (const method of ['POST', 'PUT', 'DELETE', 'OPTIONS']) {
    const answer = await send(method, '/index.html');
    assert.equal(answer.status, 405, method);
    assert.equal(answer.headers.allow, 'GET, HEAD');
  }
  const head = await send('HEAD', '/index.html');
  assert.equal(head.status, 200);
  assert.equal(head.body.length, 0);
  assert.equal(Number(head.headers['content-length']), page.length);
});

test('gzip when accepted, the plain file otherwise', async () => {
  const packed = await send('GET', '/', { 'Accept-Encoding': 'gzip, deflate' });
  assert.equal(packed.headers['content-encoding'], 'gzip');
  assert.ok(packed.body.length < page.length / 4, `${packed.body.length} bytes`);
  assert.equal(zlib.gunzipSync(packed.body).toString(), page);
  const plain = await send('GET', '/index.html');
  assert.equal(plain.headers['content-encoding'], undefined);
  assert.equal(plain.body.toString(), page);
  assert.equal((await send('GET', '/missing.js')).status, 404);
});
