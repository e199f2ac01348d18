// The intro in headless Chromium or Firefox, or WebKit (under a private X server), against the
// desktop build:
//  - the title card with the caption, canvas scaled by a whole factor behind it, nothing run,
//    not even by Tab, Shift+Tab, PageDown or Escape;
//  - a click starts the clock (tick 0 at the click), the music and the first frame; the music
//    is the desktop's soundtrack, sample for sample, and plays on without a gap while the
//    page's thread is blocked;
//  - "f" goes full screen and back; Escape ends the intro; Enter on the end card starts it again;
//  - with a scripted clock every frame hashes as the desktop frame tool's does (the golden
//    frames and every frame between), and the canvas shows exactly the screen, from the served
//    site and from the single-file page opened as a file, whose licences open, read and close
//    by keyboard; ?verify shows its progress, then its verdict over a still picture;
//  - a page that cannot load says why, even without its own script; in Firefox without a sound
//    device the intro goes on.
// Screenshots go to <out>/screenshots. Closes with "N passed, M failed"; exits 1 on any failure.
// A browser session that does not open within $ORBITRA_SESSION_SECONDS (60) is tried once more;
// a browser or driver that cannot be reached ends the test with one line naming the cause.
//   node platforms/browser/browser-test.mjs --browser chromium|firefox|webkit --site <dir>
//        --expected <native hashes> --sound <desktop soundtrack WAV> --frames "<args>"
//        --out <dir> [--runs N]
// (puppeteer-core and selenium-webdriver are looked up in $ORBITRA_WEB_MODULES; Firefox and
// WebKit play to $PULSE_SERVER.)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { parseArgs } from 'node:util';
import { pathToFileURL } from 'node:url';
import { startServer } from './serve.mjs';

const { values: options } = parseArgs({
  options: { browser: { type: 'string', default: 'chromium' }, site: { type: 'string' },
             expected: { type: 'string' }, frames: { type: 'string' }, out: { type: 'string' },
             sound: { type: 'string' },
             runs: { type: 'string', default: '3' } },
});
const require = createRequire(path.join(process.env.ORBITRA_WEB_MODULES || '.', 'x.js'));
const browserName = options.browser;
const shots = path.join(options.out, 'screenshots');
fs.mkdirSync(shots, { recursive: true });
const shot = (page, what) =>
  page.screenshot({ path: path.join(shots, `${browserName}-${what}.png`) });

// Whatever ends the test unplanned (a driver that cannot be reached, a session that never opens)
// ends it with one line naming the browser and the cause, not a stack.
const giveUp = (error) => {
  console.error(`FAIL ${browserName}: the test ends: ${String(error?.message ?? error).split('\n')[0]}`);
  process.exit(1);
};
process.on('uncaughtException', giveUp).on('unhandledRejection', giveUp);
const sessionLimit = 1000 * (Number(process.env.ORBITRA_SESSION_SECONDS) || 60);
// The session `open` makes, tried twice, each within sessionLimit.
async function openSession(what, open) {
  for (let attempt = 1; ; attempt++) {
    let timer;
    const late = new Promise((_, reject) => {
      timer = setTimeout(() => reject(new Error(`${what} did not open within ` +
                                                `${sessionLimit / 1000} s`)), sessionLimit);
    });
    try {
      return await Promise.race([open(), late]);
    } catch (error) {
      if (attempt === 2) throw new Error(`${error.message.split('\n')[0]} (tried twice)`);
      console.error(`${browserName}: ${error.message.split('\n')[0]}; trying once more`);
    } finally {
      clearTimeout(timer);
    }
  }
}

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

// WebKit has no puppeteer: the few calls this test makes on a page, over WebDriver, one
// session (one browser) a page. It reports no console messages.
async function launchWebKit() {
  const { Builder, Key, By } = require('selenium-webdriver');
  const { DriverService } = require('selenium-webdriver/remote');
  const port = await require('selenium-webdriver/net/portprober').findFreePort();
  const service = new DriverService('/usr/bin/WebKitWebDriver', {
    port, hostname: '127.0.0.1', args: [`--port=${port}`] });
  const server = await service.start();
  const miniBrowser = process.env.MINIBROWSER || `/usr/lib/${execFileSync('dpkg-architecture',
    ['-qDEB_HOST_MULTIARCH'], { encoding: 'utf8' }).trim()}/webkit2gtk-4.1/MiniBrowser`;
  const keys = { Escape: Key.ESCAPE, Enter: Key.ENTER, Tab: Key.TAB, PageDown: Key.PAGE_DOWN,
                 Shift: Key.SHIFT };
  const newPage = async () => {
    const driver = await openSession('the WebDriver session', () =>
      new Builder().usingServer(server).withCapabilities({
        browserName: 'MiniBrowser', 'webkitgtk:browserOptions': {
          binary: miniBrowser, args: ['--automation'] },
      }).build());
    await driver.manage().setTimeouts({ script: 1200000 });
    const evaluate = (fn, ...args) =>
      driver.executeScript(`return (${fn}).apply(null, arguments)`, ...args);
    return { evaluate,
      async goto(address) {
        // The viewport the other browsers get, whatever the window's own parts take.
        await driver.manage().window().setRect({ x: 0, y: 0, width: 1280, height: 720 });
        const [w, h] = await evaluate(() => [innerWidth, innerHeight]);
        await driver.manage().window().setRect({ width: 2560 - w, height: 1440 - h });
        await driver.get(address);
      },
      async waitForFunction(predicate, { timeout }) {
        for (const until = Date.now() + timeout; !(await evaluate(predicate));) {
          if (Date.now() > until) throw new Error(`timed out after ${timeout} ms`);
          await sleep(100);
        }
      },
      mouse: { click: (x, y) => driver.actions().move({ x, y }).click().perform() },
      keyboard: { press: (name) => driver.actions().sendKeys(keys[name] ?? name).perform(),
                  down: (name) => driver.actions().keyDown(keys[name]).perform(),
                  up: (name) => driver.actions().keyUp(keys[name]).perform() },
      click: async (selector) => (await driver.findElement(By.css(selector))).click(),
      screenshot: async ({ path: file }) =>
        fs.writeFileSync(file, Buffer.from(await driver.takeScreenshot(), 'base64')),
      on: () => {},
      close: () => driver.quit(),
    };
  };
  return { newPage, close: () => service.kill() };
}

// The golden run may take many minutes on a busy machine, all in one browser call.
const launch = (env) => browserName === 'webkit' ? launchWebKit() :
  openSession('the browser', () => require('puppeteer-core').launch({
  headless: true, timeout: sessionLimit, defaultViewport: { width: 1280, height: 720 }, protocolTimeout: 1200000,
  ...(browserName === 'firefox'
    ? { browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
        env: { ...process.env, ...env } }
    : { executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox'] }),
}));
// What the page sent to its output against the desktop's soundtrack: FNV-1a over the bytes of
// the first sample frames, as the page hashes them.
const soundtrack = options.sound ? fs.readFileSync(options.sound).subarray(44) : Buffer.alloc(0);
function expectSoundtrack({ sentFrames, sentHash }) {
  const bytes = sentFrames * 4;
  expect(bytes > 0 && bytes <= soundtrack.length, `${sentFrames} sample frames sent, the ` +
         `desktop's soundtrack has ${soundtrack.length / 4}`);
  let hash = 2166136261;
  for (let i = 0; i < bytes; i++) hash = Math.imul(hash ^ soundtrack[i], 16777619);
  expect(sentHash === hash >>> 0, `the ${sentFrames} sample frames sent differ from the ` +
         `desktop's soundtrack`);
}
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
async function press(page, name) {
  const [held, key] = name.includes('+') ? name.split('+') : [null, name];
  if (held) await page.keyboard.down(held);
  await page.keyboard.press(key);
  if (held) await page.keyboard.up(held);
}
// Opens the page at its title card, presses keys that move around a page (none may start the
// intro) and, a second later, clicks it. (Shift+Tab takes headless Firefox's focus out of the
// page for good, so only pages that need no keys later press it.)
async function openAndStart(address, on, keys = ['Escape', 'PageDown', 'Tab']) {
  const page = await openPage(address, false, on);
  await waitFor(page, () => window.orbitra.phase === 'ready', 30000, 'the title card');
  for (const key of keys) await press(page, key);
  await sleep(1000);
  const card = await pageState(page);
  await page.mouse.click(640, 360);
  await waitFor(page, () => window.orbitra.firstFrameMs !== null, 15000, 'a first frame');
  return { page, card };
}

// With verify, the page also checks its files against the golden sums, pulls the soundtrack as
// its output would and compares it with the golden sound list, then the run with the golden
// frame list, showing its progress, and must end in the line that everything is identical,
// over a picture held still.
async function goldenRun(address, where, verify = false) {
  const [end, every, ...jumps] = options.frames.split(/\s+/);
  const page = await openPage(`${address}?test&t0=0&end=${end}&every=${every}` +
                              `&jumps=${jumps.join(',')}${verify ? '&verify' : ''}`);
  await check(`every frame hashes as the desktop draws it, and the canvas shows the screen, ${where}`,
    async () => {
      if (verify) {
        const progress = () => {
          const shown = document.getElementById('progress');
          return shown.hidden ? '' : shown.textContent;
        };
        await waitFor(page, () => window.orbitra.test?.done || !document.getElementById('progress')
          .hidden && /^Checking frame/.test(document.getElementById('progress').textContent),
                      300000, "?verify's progress");
        const shown = await page.evaluate(progress);
        expect(/^Checking frame \d+ of \d+/.test(shown), `?verify's progress: "${shown}"`);
      }
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
      if (verify) {
        const seen = () => page.evaluate(() => [window.orbitra.test.frames,
          document.getElementById('progress').hidden, document.getElementById('screen').toDataURL(),
          document.getElementById('notice').innerText]);
        const [frames, hidden, picture, notice] = await seen();
        await sleep(500);
        const [framesLater, , pictureLater] = await seen();
        expect(framesLater === frames && pictureLater === picture, 'the picture moves on');
        expect(hidden && notice === verdict, `notice "${notice}", progress hidden: ${hidden}`);
        await shot(page, 'verify');
      }
      return `${test.compared} frames, ${expected.length} hash lines equal, ` +
             `${test.canvasChecks} canvas checks, ${(test.ms / 1000).toFixed(1)} s`;
    });
  await page.close();
}

try {
  const { page, card } = await openAndStart(origin);
  await check('the title card: caption, how to start, full screen and end; nothing run yet',
    async () => {
      const [canvas, name, caption] = await page.evaluate(() => [
        document.getElementById('screen').getBoundingClientRect().width,
        document.getElementById('screen').getAttribute('aria-label'),
        document.getElementById('caption').textContent]);
      expect(canvas === 960, `1280x720 fits 3x, canvas shown ${canvas} wide`);
      expect(name === caption, `the canvas is named "${name}"`);
      expect(/Orbitra.*click.*\bf\b.*double-click.*Escape/is.test(card.text),
             `card: ${card.text}`);
      expect(card.phase === 'ready' && card.frames === 0 && card.audio.pulledFrames === 0,
             `before the click, after Escape, PageDown and Tab: ${card.phase}, ` +
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
    expectSoundtrack(audio);
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

  await check('Enter on the end card starts the intro again, its clock and music from the start',
    async () => {
      const before = (await pageState(page)).frames;
      await page.keyboard.press('Enter');
      await waitFor(page, () => window.orbitra.runs === 2 &&
                    window.orbitra.audio.playedFrames > 22050, 15000, 'a second run playing');
      const [ticks, sinceClick] = await page.evaluate(
        () => [Module._orbitra_ticks(), performance.now() - window.orbitra.clickMs]);
      expect(ticks <= sinceClick + 2, `the clock reads ${ticks} ms ${sinceClick} ms after Enter`);
      const again = await pageState(page);
      // The limiter counts the frames since the start: a count run on would hold the picture.
      expect(again.frames - before >= 5, `${again.frames - before} frames in its first second`);
      expectSoundtrack(again.audio);
    });
  await page.close();

  // The times are reported, not judged.
  await check(`Shift+Tab on the title card starts nothing; median times of ${options.runs} runs`,
    async () => {
      const toCard = [], toFrame = [];
      for (let i = 0; i < Number(options.runs); i++) {
        const run = await openAndStart(origin, browser, ['Shift+Tab']);
        expect(run.card.phase === 'ready', `Shift+Tab on the title card: ${run.card.phase}`);
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

  await check('the single file opened as a file: its licences open, read and close by keyboard ' +
              'without starting it, then Enter plays', async () => {
    const single = await openPage(fromDisk('orbitra.html'));
    await waitFor(single, () => window.orbitra.phase === 'ready', 30000, 'the title card');
    await single.keyboard.press('Tab');
    await single.keyboard.press('Enter');
    await waitFor(single, () => location.hash === '#licences', 5000, 'the licences');
    for (let i = 0; i < 3; i++) await single.keyboard.press('PageDown');
    await sleep(500);  // scrolling may be animated
    const [shown, scrolled, focus] = await single.evaluate(() => [
      document.getElementById('licences').innerText, document.getElementById('licences').scrollTop,
      document.activeElement.id]);
    expect(/libsdl1\.2.*GNU LESSER GENERAL PUBLIC LICENSE/s.test(shown), 'no licences');
    expect(scrolled > 0 && focus === 'licences', `PageDown scrolled the licences ${scrolled} ` +
           `pixels, the keyboard's focus on "${focus}"`);
    await shot(single, 'licences');
    await single.keyboard.press('Escape');
    await waitFor(single, () => location.hash === '', 5000, 'the licences to close');
    const { phase, audio } = await pageState(single);
    expect(phase === 'ready' && audio.pulledFrames === 0,
           `reading the licences: ${phase}, ${audio.pulledFrames} sound frames pulled`);
    await single.keyboard.press('Enter');
    await waitFor(single, () => window.orbitra.audio.playedFrames > 22050, 15000,
                  'a second of sound played');
    await single.close();
  });

  await check('no errors on the pages', async () => {
    expect(pageErrors.length === 0, pageErrors.slice(0, 5).join(' | '));
  });

  // Chromium and WebKit keep a page opened from a file from fetching its neighbours; Firefox
  // does not.
  // Sites without their data file, with it cut short, without the page's last script, and with
  // its first cut short.
  const broken = fs.mkdtempSync(path.join(os.tmpdir(), 'orbitra-broken-'));
  const cardScript = fs.readFileSync(path.join(options.site, 'card.js'));
  for (const [folder, spoilt, bytes] of [
    ['missing', 'orbitra.data', null], ['damaged', 'orbitra.data', Buffer.alloc(1000)],
    ['no-script', 'page.js', null], ['cut-script', 'card.js', cardScript.subarray(0, 2000)]]) {
    fs.mkdirSync(path.join(broken, folder));
    for (const file of ['index.html', 'card.js', 'sound.js', 'verify.js', 'page.js',
                        'audio-worklet.js', 'orbitra.js', 'orbitra.wasm', 'orbitra.data']) {
      if (file !== spoilt) fs.copyFileSync(path.join(options.site, file), path.join(broken, folder, file));
    }
    if (bytes) fs.writeFileSync(path.join(broken, folder, spoilt), bytes);
  }
  const brokenServer = await startServer(broken);
  const brokenSite = `http://127.0.0.1:${brokenServer.address().port}/`;
  for (const [what, address, sentence] of [
    ['site-from-file', fromDisk('index.html'),
     browserName === 'firefox' ? null : /serve.*orbitra\.html/i],
    ['missing-data', `${brokenSite}missing/`, /orbitra\.data.*404/],
    ['damaged-data', `${brokenSite}damaged/`, /could not start: Music load error! File: res\/zak/],
    ['missing-script', `${brokenSite}no-script/`, /script did not load.*Reload the page/s],
    ['cut-script', `${brokenSite}cut-script/`, /script did not load.*Reload the page/s],
  ]) {
    await check(`the page, ${what}, ${sentence ? `says ${sentence}` : 'runs'}`, async () => {
      const page = await openPage(address, true);
      await waitFor(page, () => {
        const stalled = getComputedStyle(document.getElementById('stalled'));
        return /ready|failed/.test(window.orbitra?.phase) ||
               (stalled.display !== 'none' && stalled.visibility === 'visible');
      }, 15000, 'an outcome');
      if (sentence && (await pageState(page)).phase === 'ready') {
        await page.mouse.click(640, 360);
        await waitFor(page, () => window.orbitra.phase === 'failed', 15000, 'a failed start');
      }
      const state = await pageState(page);
      await shot(page, what);
      await page.close();
      expect(sentence ? sentence.test(state.failure || state.text) : state.phase === 'ready',
             `${state.phase}: ${state.failure || state.text}`);
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
