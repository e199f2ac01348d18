// The intro in a headless browser (Chromium or Firefox), against the desktop build:
//  - the page shows the title card, scaled canvas behind it, having drawn nothing and pulled no
//    sound; a click starts the library's clock, the music and the first frame, tick 0 at the
//    click; the music is not silent and plays on without a gap while the page's thread is
//    blocked for half a second at a time; "f" goes full screen and back; Escape ends the intro;
//  - with a scripted clock every frame hashes as the desktop frame tool's does (the golden
//    frames and every frame between), and the canvas shows exactly the screen, both from the
//    served site and from the single-file page opened as a file;
//  - opened from a file, the site's page says what to do; a missing data file is named; the
//    single-file page shows its licences; in Firefox with no sound device the intro says so
//    and goes on.
// Screenshots go to <out>/screenshots. Closes with "N passed, M failed"; exits 1 on any failure.
//   node tests/web/browser-test.mjs --browser chromium|firefox --site <dir>
//        --expected <native hashes> --frames "<args>" --out <dir> [--runs N]
// (puppeteer-core is looked up in $ORBITRA_WEB_MODULES; Firefox plays to $PULSE_SERVER.)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { parseArgs } from 'node:util';
import { pathToFileURL } from 'node:url';
import { startServer } from '../../web/serve.mjs';

const { values: options } = parseArgs({
  options: { browser: { type: 'string', default: 'chromium' }, site: { type: 'string' },
             expected: { type: 'string' }, frames: { type: 'string' }, out: { type: 'string' },
             runs: { type: 'string', default: '3' } },
});
const require = createRequire(path.join(process.env.ORBITRA_WEB_MODULES || '.', 'x.js'));
const puppeteer = require('puppeteer-core');
const name = options.browser;
const shots = path.join(options.out, 'screenshots');
fs.mkdirSync(shots, { recursive: true });
const shot = (page, what) => page.screenshot({ path: path.join(shots, `${name}-${what}.png`) });

const results = [];
async function check(title, body) {
  try {
    const note = await body();
    results.push(true);
    console.error(`ok   ${name}: ${title}${note ? ` (${note})` : ''}`);
  } catch (error) {
    results.push(false);
    console.error(`FAIL ${name}: ${title}: ${error.message}`);
  }
}
function expect(condition, message) {
  if (!condition) throw new Error(message);
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
async function waitFor(page, predicate, timeoutMs, what) {
  try {
    await page.waitForFunction(predicate, { timeout: timeoutMs, polling: 100 });
  } catch (error) {
    const state = await page.evaluate(() => JSON.stringify({ ...window.orbitra, test: undefined }))
      .catch(() => '?');
    throw new Error(`${error.message} waiting for ${what}; page state ${state}`);
  }
}

function launch(env = {}) {
  // The golden run may take many minutes on a busy machine, all in one browser call.
  const common = { headless: true, defaultViewport: { width: 1280, height: 720 },
                   protocolTimeout: 1200000 };
  if (name === 'firefox') {
    return puppeteer.launch({ ...common, browser: 'firefox',
                              executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
                              env: { ...process.env, ...env } });
  }
  return puppeteer.launch({ ...common, executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                            args: ['--no-sandbox', '--window-size=1280,720'] });
}

const server = await startServer(options.site);
const origin = `http://127.0.0.1:${server.address().port}/`;
const singleFile = pathToFileURL(path.join(options.site, 'orbitra.html')).href;
// The site without its data file, served as a server answering 404 for it would.
const broken = fs.mkdtempSync(path.join(os.tmpdir(), 'orbitra-broken-'));
for (const file of fs.readdirSync(options.site)) {
  if (file !== 'orbitra.data') fs.copyFileSync(path.join(options.site, file), path.join(broken, file));
}
const brokenServer = await startServer(broken);
const browser = await launch();
const pageErrors = [];
async function openPage(address, { errorsExpected = false } = {}) {
  const page = await browser.newPage();
  if (!errorsExpected) {
    page.on('pageerror', (error) => pageErrors.push(error.message));
    page.on('console', (message) => {
      if (message.type() === 'error') pageErrors.push(message.text());
    });
  }
  await page.goto(address, { waitUntil: 'load' });
  return page;
}
const cardState = (page) => page.evaluate(() => ({
  ...window.orbitra,
  card: getComputedStyle(document.getElementById('card')).display,
  caption: document.getElementById('caption').textContent,
  message: document.getElementById('message').textContent,
  hint: document.getElementById('hint').textContent,
}));

// Opens the page, waits for the title card and starts the intro with a click a while later.
// Returns the page and the times of the title card and of the first frame.
async function openAndStart(address) {
  const page = await openPage(address);
  await waitFor(page, () => window.orbitra.phase === 'ready', 30000, 'the title card');
  await sleep(1000);
  await page.mouse.click(640, 360);
  await waitFor(page, () => window.orbitra.firstFrameMs !== null, 15000, 'a first frame');
  const { readyMs, clickMs, firstFrameMs } = await page.evaluate(() => window.orbitra);
  return { page, toCard: readyMs, toFrame: firstFrameMs - clickMs };
}

async function goldenRun(address, where) {
  const [end, every, ...jumps] = options.frames.split(/\s+/);
  const page = await openPage(`${address}?test&t0=0&end=${end}&every=${every}` +
                              `&jumps=${jumps.join(',')}`);
  await check(`every frame hashes as the desktop draws it, ${where}`, async () => {
    await waitFor(page, () => window.orbitra.test && window.orbitra.test.done, 900000,
                  'the test frames');
    const test = await page.evaluate(() => window.orbitra.test);
    const expected = fs.readFileSync(options.expected, 'utf8').trim().split('\n');
    expect(test.held === 0, `the limiter held ${test.held} frames under the scripted clock`);
    expect(test.lines.length === expected.length,
           `${test.lines.length} hash lines, the desktop printed ${expected.length}`);
    const first = expected.findIndex((line, i) => line !== test.lines[i]);
    expect(first < 0, `first difference at line ${first + 1}: desktop "${expected[first]}", ` +
                      `browser "${test.lines[first]}"`);
    expect(test.canvasChecks >= 100, `only ${test.canvasChecks} canvas checks`);
    expect(test.canvasDifferences.length === 0,
           `canvas differs from the screen: ${JSON.stringify(test.canvasDifferences.slice(0, 5))}`);
    return `${test.compared} frames, ${expected.length} hash lines equal, ` +
           `${test.canvasChecks} canvas checks, ${(test.ms / 1000).toFixed(1)} s`;
  });
  await page.close();
}

try {
  // The page as a visitor opens it.
  const page = await openPage(origin);
  await check('the title card: caption, how to start, go full screen and end; nothing run yet',
    async () => {
      await waitFor(page, () => window.orbitra.phase === 'ready', 30000, 'the title card');
      const card = await cardState(page);
      const canvas = await page.evaluate(() => document.getElementById('screen')
        .getBoundingClientRect().toJSON());
      expect(canvas.width === 960 && canvas.height === 720,
             `1280x720 fits 3x, canvas shown at ${canvas.width}x${canvas.height}`);
      expect(card.card !== 'none' && card.caption.length > 0, `no caption on the card`);
      expect(/click/i.test(card.message) && /\bf\b/.test(card.hint) &&
             /double-click/.test(card.hint) && /Escape/.test(card.hint),
             `card says "${card.message}" / "${card.hint}"`);
      expect(card.frames === 0 && card.audio.pulledFrames === 0,
             `before the click ${card.frames} frames drawn, ${card.audio.pulledFrames} sound frames`);
      await shot(page, 'title-card');
      return `"${card.caption}", ${card.readyMs.toFixed(0)} ms after navigation`;
    });

  await sleep(1000);
  await check('a click starts the clock, the music and the first frame, tick 0 at the click',
    async () => {
      await page.mouse.click(640, 360);
      await waitFor(page, () => window.orbitra.audio.playedFrames > 2 * 22050, 15000,
                    'two seconds of sound played');
      const [ticks, sinceClick] = await page.evaluate(
        () => [Module._SDL_GetTicks(), performance.now() - window.orbitra.clickMs]);
      const card = await cardState(page);
      expect(card.card === 'none', 'the title card stayed');
      expect(card.firstFrameMs > card.clickMs, 'a frame was drawn before the click');
      // A clock started at load would be ahead of the time since the click by the wait above.
      expect(ticks <= sinceClick + 2, `the clock reads ${ticks} ms, ${sinceClick} ms after the click`);
      expect(card.audio.peak > 2000, `peak level only ${card.audio.peak}`);
      expect(card.audio.loudSamples > card.audio.pulledFrames / 4,
             `${card.audio.loudSamples} audible samples in ${card.audio.pulledFrames} frames`);
      await shot(page, 'running');
      return `first frame ${(card.firstFrameMs - card.clickMs).toFixed(0)} ms and sound ` +
             `${(card.audio.startMs - card.clickMs).toFixed(0)} ms after the click, peak ` +
             `${card.audio.peak}`;
    });

  await check('the sound plays on without a gap while the page is blocked for 500 ms, 4 times',
    async () => {
      const before = await page.evaluate(() => window.orbitra.audio.playedFrames);
      for (let i = 0; i < 4; i++) {
        await page.evaluate(() => {
          const until = performance.now() + 500;
          while (performance.now() < until);
        });
        await sleep(700);
      }
      const audio = await page.evaluate(() => window.orbitra.audio);
      expect(audio.playedFrames - before > 3 * 22050,
             `only ${audio.playedFrames - before} frames played meanwhile`);
      expect(audio.starvedFrames === 0, `${audio.starvedFrames} frames starved, the longest gap ` +
             `${((audio.longestGap * 1000) / 22050).toFixed(0)} ms`);
      return `longest gap ${audio.longestGap} frames`;
    });

  await check('"f" goes full screen and back, the picture still at a whole scale', async () => {
    await page.keyboard.press('f');
    await waitFor(page, () => document.fullscreenElement !== null, 5000, 'full screen');
    const width = await page.evaluate(
      () => document.getElementById('screen').getBoundingClientRect().width);
    expect(width % 320 === 0, `canvas ${width} wide in full screen`);
    await page.keyboard.press('f');
    await waitFor(page, () => document.fullscreenElement === null, 5000, 'leaving full screen');
  });

  await check('Escape ends the intro', async () => {
    await page.keyboard.press('Escape');
    await waitFor(page, () => window.orbitra.phase === 'ended', 5000, 'the intro to end');
    const { status, frames } = await page.evaluate(() => window.orbitra);
    await sleep(300);
    const later = await cardState(page);
    expect(status === 0, `ended with status ${status}`);
    expect(later.frames === frames, `frames went on after the end: ${frames} then ${later.frames}`);
    expect(later.card !== 'none' && /ended/.test(later.message), `card: "${later.message}"`);
    await shot(page, 'ended');
  });
  await page.close();

  await check(`time to the title card and from the click to the first frame, median of ` +
              `${options.runs}`, async () => {
    const toCard = [], toFrame = [];
    for (let i = 0; i < Number(options.runs); i++) {
      const run = await openAndStart(origin);
      toCard.push(run.toCard);
      toFrame.push(run.toFrame);
      await run.page.close();
    }
    return `title card ${median(toCard).toFixed(0)} ms after navigation, first frame ` +
           `${median(toFrame).toFixed(0)} ms after the click; runs ` +
           `${toCard.map((v) => v.toFixed(0))} / ${toFrame.map((v) => v.toFixed(0))}`;
  });

  await goldenRun(origin, 'served');
  await goldenRun(singleFile, 'single file opened as a file');

  await check('the single file opened as a file shows its licences and plays its music',
    async () => {
      const single = await openPage(singleFile);
      await waitFor(single, () => window.orbitra.phase === 'ready', 30000, 'the title card');
      await single.click('#licences-link');
      const shown = await single.evaluate(() => {
        const section = document.getElementById('licences');
        return getComputedStyle(section).display !== 'none' && section.textContent;
      });
      expect(shown && /libsdl1\.2/.test(shown) && /GNU LESSER GENERAL PUBLIC LICENSE/.test(shown),
             'the licences are not shown');
      await shot(single, 'licences');
      await single.evaluate(() => (location.hash = ''));
      expect((await cardState(single)).phase === 'ready', 'the licence link started the intro');
      await single.mouse.click(640, 360);
      await waitFor(single, () => window.orbitra.audio.playedFrames > 22050, 15000,
                    'a second of sound played');
      const audio = await single.evaluate(() => window.orbitra.audio);
      expect(audio.peak > 2000, `peak level only ${audio.peak}`);
      await single.close();
    });

  await check('no errors on the pages', async () => {
    expect(pageErrors.length === 0, pageErrors.slice(0, 5).join(' | '));
  });

  // Chromium forbids a page opened from a file to fetch its neighbours; Firefox allows it.
  await check('opened from a file, the site\'s page runs or says to serve it or open the single file',
    async () => {
      const page = await openPage(pathToFileURL(path.join(options.site, 'index.html')).href,
                                  { errorsExpected: true });
      await waitFor(page, () => ['ready', 'failed'].includes(window.orbitra.phase), 15000,
                    'the title card or a failure');
      const card = await cardState(page);
      await shot(page, 'site-from-file');
      await page.close();
      if (card.phase === 'ready') return 'it runs';
      expect(/serve.*orbitra\.html/i.test(card.message), `card: "${card.message}"`);
      return 'it says so';
    });

  await check('a missing data file is named on the page', async () => {
    const page = await openPage(`http://127.0.0.1:${brokenServer.address().port}/`,
                                { errorsExpected: true });
    await waitFor(page, () => window.orbitra.phase === 'failed', 15000, 'the failure');
    const card = await cardState(page);
    expect(/orbitra\.data.*404/.test(card.message), `card: "${card.message}"`);
    await shot(page, 'error-missing-data');
    await page.close();
  });
} finally {
  await browser.close();
}

if (name === 'firefox') {
  // Firefox plays through PulseAudio: with none to reach, it has no sound device.
  const silent = await launch({ PULSE_SERVER: 'unix:/nonexistent/orbitra-no-sound' });
  try {
    await check('with no sound device the page says so and the intro goes on', async () => {
      const page = await silent.newPage();
      await page.goto(origin, { waitUntil: 'load' });
      await waitFor(page, () => window.orbitra.phase === 'ready', 30000, 'the title card');
      await page.mouse.click(640, 360);
      await waitFor(page, () => window.orbitra.notice !== null, 15000, 'a notice');
      const first = await cardState(page);
      await sleep(1000);
      const later = await cardState(page);
      expect(/no sound/i.test(first.notice), `notice "${first.notice}"`);
      expect(later.phase === 'running' && later.frames > first.frames,
             `phase ${later.phase}, frames ${first.frames} then ${later.frames}`);
      await shot(page, 'no-sound');
    });
  } finally {
    await silent.close();
  }
}
server.close();
brokenServer.close();
fs.rmSync(broken, { recursive: true });

const passed = results.filter(Boolean).length;
const failed = results.length - passed;
console.error(`${name}: screenshots in ${shots}`);
console.error(`${name}: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
