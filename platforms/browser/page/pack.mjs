// Finishes the built site: its licence page, and the single-file page that carries the program,
// its data, the sound worklet and the licences inside itself, so it runs opened from a file.
//   node platforms/browser/page/pack.mjs <site dir> <library licences dir>
// The library licences are the debian/copyright files of the source packages the build
// compiled (deps/build-libs.sh gathers them); the versions come from deps/debian-sources.txt.
import fs from 'node:fs';
import path from 'node:path';
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const [site, libraryLicences] = process.argv.slice(2);
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');
const read = (file) => fs.readFileSync(file, 'utf8');
const escape = (text) =>
  text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');

// The libraries linked into the program, by the source package each is compiled from.
const libraries = [
  ['SDL 1.2', 'libsdl1.2'], ['SDL_mixer 1.2', 'sdl-mixer1.2'], ['libmikmod', 'libmikmod'],
  ['FreeType', 'freetype'], ['libpng', 'libpng1.6'], ['zlib', 'zlib'],
];
const pinned = new Map(read(path.join(root, 'deps/debian-sources.txt')).split('\n')
  .filter((line) => line.trim() && !line.startsWith('#'))
  .map((line) => line.trim().split(/\s+/)).map(([name, version]) => [name, version]));
const emscriptenVersion = execFileSync('dpkg-query', ['-W', '-f=${Version}', 'emscripten'],
                                       { encoding: 'utf8' });
const emscriptenCopyright = '/usr/share/doc/emscripten/copyright';

function licenceSection(back) {
  const parts = [];
  const entry = (title, about, text) => {
    parts.push(`<h2>${escape(title)}</h2>`);
    if (about) parts.push(`<p>${about}</p>`);
    parts.push(`<pre>${escape(text)}</pre>`);
  };
  entry('Orbitra', '', read(path.join(root, 'LICENSE')));
  entry('The scroll font', '', read(path.join(root, 'res/bigFont-LICENSE.txt')));
  const texts = [];
  for (const [title, name] of libraries) {
    const version = pinned.get(name);
    if (!version) throw new Error(`${name} is not pinned in deps/debian-sources.txt`);
    const text = read(path.join(libraryLicences, `${name}.copyright`));
    texts.push(text);
    entry(title, `Compiled from Debian 12's source package <code>${escape(name)}</code>, version ` +
          `<code>${escape(version)}</code>, as published in Debian's main archive ` +
          `(<code>apt-get source ${escape(name)}=${escape(version)}</code>). Its copyright file:`,
          text);
  }
  const runtime = read(emscriptenCopyright);
  texts.push(runtime);
  entry('The C and C++ runtime and the JavaScript glue',
        'Linked in by Emscripten from Debian 12\'s package <code>emscripten</code>, version ' +
        `<code>${escape(emscriptenVersion)}</code> (<code>apt-get source emscripten=` +
        `${escape(emscriptenVersion)}</code>). Its copyright file:`, runtime);
  // The full texts the copyright files refer to by their place on a Debian system.
  const named = new Set();
  for (const text of texts) {
    for (const match of text.matchAll(/common-licenses\/([A-Za-z0-9.+-]*[A-Za-z0-9+])/g)) {
      named.add(match[1]);
    }
  }
  for (const name of [...named].sort()) {
    const file = path.join('/usr/share/common-licenses', name);
    if (fs.existsSync(file)) {
      entry(`${name}`, `The text of <code>/usr/share/common-licenses/${escape(name)}</code>:`,
            read(file));
    }
  }
  // Focusable, so that the keyboard scrolls it once open.
  return `<section id="licences" tabindex="-1">
<p><a href="${back}">Back to the intro</a></p>
<h1>Licences</h1>
<p>The program on this page is built with Emscripten from Orbitra's own code, its scroll font
and the libraries below, each compiled from the Debian 12 source package named with it, at
exactly that version.</p>
${parts.join('\n')}
<p><a href="${back}">Back to the intro</a></p>
</section>`;
}

fs.writeFileSync(path.join(site, 'licences.html'), `<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Orbitra: licences</title>
<link rel="icon" href="data:,">
<style>
  body { margin: 0; padding: 1em 2em; background: #111; color: #ccc; font: 14px/1.4 sans-serif; }
  a { color: #8af; }
  pre { white-space: pre-wrap; font-size: 12px; }
</style>
</head>
<body>
${licenceSection('index.html')}
</body>
</html>
`);

// Text inside a script element ends at the first "</script"; "<!--" may hide that end.
function scriptText(name) {
  const text = read(path.join(site, name));
  if (/<\/script|<!--/i.test(text)) throw new Error(`${name} cannot be carried in a script element`);
  return text;
}
const carriedText = (name) =>
  `<script type="text/plain" data-file="${name}">${scriptText(name)}</script>`;
function carriedBytes(name) {
  // Debian's gzip, not node's zlib: node builds differ in their compressed bytes, and the
  // single file must be the same wherever it is made.
  const packed = execFileSync('gzip', ['-9', '-n', '-c', path.join(site, name)], {
    maxBuffer: 1 << 28 });
  return `<script type="application/gzip-base64" data-file="${name}">` +
         `${packed.toString('base64')}</script>`;
}

// Emscripten's packager gives the data a random id, which only its browser-side cache (not
// used here) reads: one made from the data itself makes the glue the same from every build.
const glueFile = path.join(site, 'orbitra.js');
const dataHash = createHash('sha256').update(fs.readFileSync(path.join(site, 'orbitra.data')))
  .digest('hex');
const dataId = dataHash.slice(0, 32)
  .replace(/^(.{8})(.{4})(.{4})(.{4})(.{12})$/, '$1-$2-$3-$4-$5');
const glue = read(glueFile);
const ids = glue.match(/"package_uuid":"[0-9a-f-]{36}"/g) || [];
if (ids.length !== 1) throw new Error(`orbitra.js has ${ids.length} data ids, not one`);
fs.writeFileSync(glueFile, glue.replace(ids[0], `"package_uuid":"${dataId}"`));

let page = read(path.join(site, 'index.html'));
const replace = (from, to) => {
  if (!page.includes(from)) throw new Error(`index.html has no ${from}`);
  page = page.replace(from, () => to);
};
replace('<link rel="preload" href="orbitra.js" as="script">\n', '');
replace('href="licences.html"', 'href="#licences"');
const pageScripts = ['card.js', 'sound.js', 'verify.js', 'page.js'];
replace(pageScripts.map((name) => `<script src="${name}"></script>`).join('\n'), [
  licenceSection('#'),
  carriedBytes('orbitra.wasm'), carriedBytes('orbitra.data'),
  ...['frames', 'sound', 'sums'].map((name) => carriedBytes(`golden/${name}.txt`)),
  carriedText('orbitra.js'), carriedText('audio-worklet.js'),
  ...pageScripts.map((name) => `<script>\n${scriptText(name)}</script>`),
].join('\n'));
fs.writeFileSync(path.join(site, 'orbitra.html'), page);
