// A small static file server for the site, on the loopback interface only.
//   node platforms/browser/serve.mjs <site dir> [port]
// The browser test imports startServer from here. Only GET and HEAD of files inside the site
// folder are answered, symbolic links followed only while they stay inside it; a request that
// cannot be read as a path inside it gets 400 or 403, never an exception. Bodies go out
// gzip-compressed when the browser accepts it, as a real server's do. From the command line,
// bad arguments or a port in use end in one line.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { pathToFileURL } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.txt': 'text/plain; charset=utf-8',
  '.png': 'image/png',
};

// The file a request names inside base, or the status that refuses it.
function resolveRequest(base, request) {
  if (request.method !== 'GET' && request.method !== 'HEAD') return { status: 405 };
  let name;
  try {
    name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  } catch {
    return { status: 400 };
  }
  if (name.includes('\0')) return { status: 400 };
  let file = path.join(base, name);
  // The base itself or something below it: "/site-private" must not pass for "/site".
  if (!inside(base, file)) return { status: 403 };
  if (name.endsWith('/')) file = path.join(file, 'index.html');
  return { file };
}

const inside = (base, file) => file === base || file.startsWith(base + path.sep);

export function startServer(root, port = 0) {
  const base = path.resolve(root);
  // Where the site really is, for what its links lead to.
  const realBase = fs.realpathSync(base);
  // Compressed bodies, kept while the file is unchanged.
  const packed = new Map();
  function gzipped(file, stat, body) {
    const key = `${stat.mtimeMs} ${stat.size}`;
    const kept = packed.get(file);
    if (kept && kept.key === key) return kept.body;
    const result = zlib.gzipSync(body, { level: 9 });
    packed.set(file, { key, body: result });
    return result;
  }

  const server = http.createServer((request, response) => {
    const refuse = (status, headers = {}) =>
      response.writeHead(status, { 'Content-Type': 'text/plain', ...headers })
        .end(request.method === 'HEAD' ? undefined : `${http.STATUS_CODES[status]}\n`);
    const { status, file } = resolveRequest(base, request);
    if (status) {
      refuse(status, status === 405 ? { Allow: 'GET, HEAD' } : {});
      return;
    }
    fs.realpath(file, (realError, real) => fs.stat(real || file, (statError, stat) => {
      if (realError || statError || !stat.isFile()) {
        refuse(404);
        return;
      }
      if (!inside(realBase, real)) {
        refuse(403);
        return;
      }
      fs.readFile(real, (error, body) => {
        if (error) {
          refuse(404);
          return;
        }
        const headers = {
          'Content-Type': types[path.extname(file)] || 'application/octet-stream',
          'Cache-Control': 'no-cache',
          'X-Content-Type-Options': 'nosniff',
          Vary: 'Accept-Encoding',
        };
        if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
          body = gzipped(file, stat, body);
          headers['Content-Encoding'] = 'gzip';
        }
        headers['Content-Length'] = body.length;
        response.writeHead(200, headers).end(request.method === 'HEAD' ? undefined : body);
      });
    }));
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [root, port = '8080', ...rest] = process.argv.slice(2);
  const end = (line, status) => {
    console.error(`serve: ${line}`);
    process.exit(status);
  };
  if (!root || rest.length > 0 || !/^\d{1,5}$/.test(port) || Number(port) > 65535) {
    end('usage: node platforms/browser/serve.mjs <site folder> [port (0 to 65535, 8080 when not given)]', 2);
  }
  if (!fs.statSync(root, { throwIfNoEntry: false })?.isDirectory()) {
    end(`${root} is not a folder: give the built site (build-web/site)`, 2);
  }
  try {
    const server = await startServer(root, Number(port));
    console.error(`Serving ${root} at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
  } catch (error) {
    end(error.code === 'EADDRINUSE' ? `port ${port} is in use: give another after the folder`
                                    : `cannot serve on port ${port}: ${error.message}`, 1);
  }
}
