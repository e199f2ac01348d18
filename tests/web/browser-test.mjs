// The intro in headless Chromium or Firefox, against the desktop build:
//  - the title card with the caption, canvas scaled by a whole factor behind it, nothing run;
//  - a click starts the clock (tick 0 at the click), the music and the first frame; the music
//    is not silent and plays on without a gap while the page's thread is blocked;
//  - "f" goes full screen and back; Escape ends the intro;
//  - with a scripted clock every frame hashes as the desktop frame tool's does (the golden
//    frames and every frame between), and the canvas shows exactly the screen, from the served
//    site and from the single-file page opened as a file, which also shows its licences;
//  - a page that cannot load says why; in Firefox without a sound device the intro goes on.
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
const browserName = options.browser;
const shots = path.join(options.out, 'screenshots');
fs.mkdirSync(shots, { recursive: true });
const shot = (page, what) =>
  page.screenshot({ path: path.join(shots, `${browserName}-${what}.png`) });

const results = [];
async function check(name, body) {
  try {
    const note = await body();
    results.push(true);
    console.error(`ok   ${browserName}: ${name}${note ? ` (${note})` : ''}`);
  } catch (error) {
    results.push(false);
    console.error(`FAIL ${browserName}: ${name}: ${error.message}`);
  }
}
function expect(condition, message) {
  if (!condition) throw new Error(message);
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
async function waitFor(page, predicate, timeoutMs, what) {
  try {
    await page.waitForFunction(predicate, { timeout: timeoutMs, polling: 100 });
  } catch (error) {
    const state = await page.evaluate(() => JSON.stringify({ ...window.orbitra, test: 0 }));
    throw new Error(`${error.message} waiting for ${what}; page state ${state}`);
  }
}

// The golden run may take many minutes on a busy machine, all in one browser call.
const launch = (env) => puppeteer.launch({
  headless: true, defaultViewport: { width: 1280, height: 720 }, protocolTimeout: 1200000,
  ...(browserName === 'firefox'
    ? { browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
        env: { ...process.env, ...env } }
    : { executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox'] }),
});
const server = await startServer(options.site);
const origin = `http://127.0.0.1:${server.address().port}/`;
const fromDisk = (file) => pathToFileURL(path.join(options.site, file)).href;
const browser = await launch();
const pageErrors = [];
async function openPage(address, errorsExpected = false, on = browser) {
  const page = await on.newPage();
  if (!errorsExpected) {
    page.on('pageerror', (error) => pageErrors.push(error.message));
    page.on('console', (message) => {
      if (message.type() === 'error') pageErrors.push(message.text());
    });
  }
  await page.goto(address, { waitUntil: 'load' });
  return page;
}
const pageState = (page) => page.evaluate(() => ({ ...window.orbitra, test: 0,
  card: getComputedStyle(document.getElementById('card')).display,
  text: document.getElementById('card').innerText }));
// Opens the page at its title card and, a second later, clicks it.
async function openAndStart(address, on) {
  const page = await openPage(address, false, on);
  await waitFor(page, () => window.orbitra.phase === 'ready', 30000, 'the title card');
  const card = await pageState(page);
  await sleep(1000);
  await page.mouse.click(640, 360);
  await waitFor(page, () => window.orbitra.firstFrameMs !== null, 15000, 'a first frame');
  return { page, card };
}

// With verify, the page also checks its files against the golden sums, pulls the soundtrack as
// its output would and compares it with the golden sound list, then the run with the golden
// frame list, and must show that everything is identical.
async function goldenRun(address, where, verify = false) {
  const [end, every, ...jumps] = options.frames.split(/\s+/);
  const page = await openPage(`${address}?test&t0=0&end=${end}&every=${every}` +
                              `&jumps=${jumps.join(',')}${verify ? '&verify' : ''}`);
  await check(`every frame hashes as the desktop draws it, and the canvas shows the screen, ${where}`,
    async () => {
      // A page that failed ends the wait at once, not after the run's allowance.
      await waitFor(page, () => window.orbitra.test?.done || window.orbitra.phase === 'failed',
                    900000, 'the test frames');
      const failure = await page.evaluate(() => window.orbitra.failure);
      expect(failure === null, `the page failed: ${failure}`);
      const test = await page.evaluate(() => window.orbitra.test);
      const expected = fs.readFileSync(options.expected, 'utf8').trim().split('\n');
      expect(test.held === 0, `the limiter held ${test.held} frames under the scripted clock`);
      expect(test.lines.length === expected.length,
             `${test.lines.length} hash lines, the desktop printed ${expected.length}`);
      const first = expected.findIndex((line, i) => line !== test.lines[i]);
      expect(first < 0, `first difference at line ${first + 1}: desktop "${expected[first]}", ` +
                        `browser "${test.lines[first]}"`);
      expect(test.canvasChecks >= 100 && test.canvasDifferences.length === 0, `canvas checks ` +
             `${test.canvasChecks}, differing ${JSON.stringify(test.canvasDifferences.slice(0, 5))}`);
      const verdict = await page.evaluate(() => window.orbitra.verdict);
      expect(!verify || verdict === `all ${test.compared} frames and 180 s of sound identical, ` +
                                    '8 files intact', `?verify: ${verdict}`);
      if (verify) await shot(page, 'verify');
      return `${test.compared} frames, ${expected.length} hash lines equal, ` +
             `${test.canvasChecks} canvas checks, ${(test.ms / 1000).toFixed(1)} s`;
    });
  await page.close();
}

try {
  const { page, card } = await openAndStart(origin);
  await check('the title card: caption, how to start, full screen and end; nothing run yet',
    async () => {
      const canvas = await page.evaluate(
        () => document.getElementById('screen').getBoundingClientRect().width);
      expect(canvas === 960, `1280x720 fits 3x, canvas shown ${canvas} wide`);
      expect(/Orbitra.*click.*\bf\b.*double-click.*Escape/is.test(card.text),
             `card: ${card.text}`);
      expect(card.frames === 0 && card.audio.pulledFrames === 0, `before the click ` +
             `${card.frames} frames drawn, ${card.audio.pulledFrames} sound frames pulled`);
      return `${card.readyMs.toFixed(0)} ms after navigation`;
    });

  await check('the click starts the clock, the music and the first frame', async () => {
    await waitFor(page, () => window.orbitra.audio.playedFrames > 2 * 22050, 15000,
                  'two seconds of sound played');
    const [ticks, sinceClick] = await page.evaluate(
      () => [Module._SDL_GetTicks(), performance.now() - window.orbitra.clickMs]);
    const { card, firstFrameMs, clickMs, audio } = await pageState(page);
    expect(card === 'none', 'the title card stayed');
    // A clock started at load would be ahead of the time since the click by a second or more.
    expect(ticks <= sinceClick + 2, `the clock reads ${ticks} ms ${sinceClick} ms after the click`);
    expect(audio.peak > 2000, `peak level only ${audio.peak}`);
    expect(audio.loudSamples > audio.pulledFrames / 4,
           `${audio.loudSamples} audible samples in ${audio.pulledFrames} frames`);
    await shot(page, 'running');
    return `first frame ${(firstFrameMs - clickMs).toFixed(0)} ms and sound ` +
           `${(audio.startMs - clickMs).toFixed(0)} ms after the click`;
  });

  await check('the sound plays without a gap while the page is blocked for 500 ms, 4 times',
    async () => {
      for (let i = 0; i < 4; i++) {
        await page.evaluate(() => {
          for (const until = performance.now() + 500; performance.now() < until;);
        });
        await sleep(700);
      }
      const audio = await page.evaluate(() => window.orbitra.audio);
      expect(audio.playedFrames > 5 * 22050, `only ${audio.playedFrames} frames played`);
      expect(audio.starvedFrames === 0, `${audio.starvedFrames} frames starved, the longest ` +
             `gap ${audio.longestGap}`);
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
    const later = await pageState(page);
    expect(status === 0, `ended with status ${status}`);
    expect(later.frames === frames, `frames went on after the end: ${frames} then ${later.frames}`);
    expect(/ended/.test(later.text), `card: ${later.text}`);
    await shot(page, 'ended');
  });
  await page.close();

  // Reported, not judged.
  await check(`median times of ${options.runs} runs`, async () => {
    const toCard = [], toFrame = [];
    for (let i = 0; i < Number(options.runs); i++) {
      const run = await openAndStart(origin);
      const state = await pageState(run.page);
      toCard.push(state.readyMs);
      toFrame.push(state.firstFrameMs - state.clickMs);
      await run.page.close();
    }
    const median = (values) => values.sort((a, b) => a - b)[values.length >> 1].toFixed(0);
    return `title card ${median(toCard)} ms after navigation, first frame ${median(toFrame)} ms ` +
           `after the click`;
  });

  await goldenRun(origin, 'served, verified', true);
  await goldenRun(fromDisk('orbitra.html'), 'single file opened as a file, verified', true);

  await check('the single file opened as a file shows its licences and plays', async () => {
    const single = await openPage(fromDisk('orbitra.html'));
    await waitFor(single, () => window.orbitra.phase === 'ready', 30000, 'the title card');
    await single.click('#licences-link');
    const shown = await single.evaluate(() => document.getElementById('licences').innerText);
    expect(/libsdl1\.2.*GNU LESSER GENERAL PUBLIC LICENSE/s.test(shown), 'no licences');
    await shot(single, 'licences');
    await single.evaluate(() => (location.hash = ''));
    await single.mouse.click(640, 360);
    await waitFor(single, () => window.orbitra.audio.playedFrames > 22050, 15000,
                  'a second of sound played');
    await single.close();
  });

  await check('no errors on the pages', async () => {
    expect(pageErrors.length === 0, pageErrors.slice(0, 5).join(' | '));
  });

  // Chromium keeps a page opened from a file from fetching its neighbours; Firefox does not.
  // Sites without their data file, and with it cut short.
  const broken = fs.mkdtempSync(path.join(os.tmpdir(), 'orbitra-broken-'));
  for (const [folder, data] of [['missing', null], ['damaged', Buffer.alloc(1000)]]) {
    fs.mkdirSync(path.join(broken, folder));
    for (const file of ['index.html', 'page.js', 'audio-worklet.js', 'orbitra.js', 'orbitra.wasm']) {
      fs.copyFileSync(path.join(options.site, file), path.join(broken, folder, file));
    }
    if (data) fs.writeFileSync(path.join(broken, folder, 'orbitra.data'), data);
  }
  const brokenServer = await startServer(broken);
  const brokenSite = `http://127.0.0.1:${brokenServer.address().port}/`;
  for (const [what, address, sentence] of [
    ['site-from-file', fromDisk('index.html'),
     browserName === 'chromium' ? /serve.*orbitra\.html/i : null],
    ['missing-data', `${brokenSite}missing/`, /orbitra\.data.*404/],
    ['damaged-data', `${brokenSite}damaged/`, /could not start: Music load error! File: res\/zak/],
  ]) {
    await check(`the page, ${what}, ${sentence ? `says ${sentence}` : 'runs'}`, async () => {
      const page = await openPage(address, true);
      await waitFor(page, () => /ready|failed/.test(window.orbitra.phase), 15000, 'an outcome');
      if (sentence && (await pageState(page)).phase === 'ready') {
        await page.mouse.click(640, 360);
        await waitFor(page, () => window.orbitra.phase === 'failed', 15000, 'a failed start');
      }
      const state = await pageState(page);
      await shot(page, what);
      await page.close();
      expect(sentence ? sentence.test(state.failure) : state.phase === 'ready',
             `${state.phase}: ${state.failure}`);
    });
  }
  brokenServer.close();
  fs.rmSync(broken, { recursive: true });
} finally {
  await browser.close();
}

if (browserName === 'firefox') {
  // Firefox plays through PulseAudio: with none to reach, it has no sound device.
  const silent = await launch({ PULSE_SERVER: 'unix:/nonexistent/orbitra-no-sound' });
  await check('with no sound device the page says so and the intro goes on', async () => {
    const { page } = await openAndStart(origin, silent);
    await waitFor(page, () => window.orbitra.notice && window.orbitra.frames > 10, 15000,
                  'a notice and frames');
    expect(/no sound/i.test((await pageState(page)).notice), 'no notice');
    await shot(page, 'no-sound');
  });
  await silent.close();
}
server.close();

const passed = results.filter(Boolean).length;
const failed = results.length - passed;
console.error(`${browserName}: screenshots in ${shots}`);
console.error(`${browserName}: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
