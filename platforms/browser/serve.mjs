// A small static file server for the site, on the loopback interface only.
//   node platforms/browser/serve.mjs <site dir> [port]
// The browser test imports startServer from here. Only GET and HEAD of files inside the site
// folder (any folder, / too) are answered, symbolic links followed only while they stay inside
// it; a request that cannot be read as a path inside it gets 400 or 403, never an exception.
// Bodies are streamed from the file, gzip-compressed on the way when the browser accepts it (by
// Accept-Encoding's q-values), as a real server's are; no file is held whole in memory. From
// the command line, bad arguments or a port in use end in one line.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { pipeline } from 'node:stream';
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
  if (!inside(base, file)) return { status: 403 };
  if (name.endsWith('/')) file = path.join(file, 'index.html');
  return { file };
}

// The base itself or something below it, "/" too: "/site-private" must not pass for "/site".
function inside(base, file) {
  const way = path.relative(base, file);
  return way === '' || (way !== '..' && !way.startsWith(`..${path.sep}`) && !path.isAbsolute(way));
}

// Whether an Accept-Encoding header lets a body go out gzip-compressed: gzip (or x-gzip) named
// with a quality above 0, or else "*" so. A quality that is not a number from 0 to 1 counts as 0.
export function acceptsGzip(header = '') {
  const quality = {};
  for (const item of header.split(',')) {
    const [coding, ...parameters] = item.split(';').map((part) => part.trim().toLowerCase());
    if (!coding) continue;
    let q = 1;
    for (const parameter of parameters) {
      const [name, value] = parameter.split('=').map((part) => part.trim());
      if (name !== 'q') continue;
      q = /^(0(\.\d{0,3})?|1(\.0{0,3})?)$/.test(value ?? '') ? Number(value) : 0;
    }
    quality[coding === 'x-gzip' ? 'gzip' : coding] = q;
  }
  return (quality.gzip ?? quality['*'] ?? 0) > 0;
}

export function startServer(root, port = 0) {
  const base = path.resolve(root);
  // Where the site really is, for what its links lead to.
  const realBase = fs.realpathSync(base);

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
      // The bytes the file had when it was looked at, read in blocks as the client takes them;
      // a compressed body's length is not known before it is sent.
      const source = fs.createReadStream(real, { start: 0, end: Math.max(stat.size - 1, 0) });
      const unreadable = () => refuse(404);
      source.once('error', unreadable);
      source.once('ready', () => {
        source.off('error', unreadable);
        const headers = {
          'Content-Type': types[path.extname(file)] || 'application/octet-stream',
          'Cache-Control': 'no-cache',
          'X-Content-Type-Options': 'nosniff',
          Vary: 'Accept-Encoding',
        };
        const gzip = acceptsGzip(request.headers['accept-encoding']);
        if (gzip) headers['Content-Encoding'] = 'gzip';
        else headers['Content-Length'] = stat.size;
        response.writeHead(200, headers);
        if (request.method === 'HEAD') {
          source.destroy();
          response.end();
          return;
        }
        const stages = gzip ? [source, zlib.createGzip({ level: 9 }), response] : [source, response];
        // A client gone or a file that fails half-way ends the answer short, never the server.
        pipeline(...stages, () => {});
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
