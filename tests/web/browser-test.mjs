// The intro in headless Chromium, against the desktop build:
//  - the page draws its first frame, scaled by a whole factor, with the music overlay shown;
//  - with a scripted clock every frame hashes as the desktop frame tool's does (the golden
//    frames and every frame between), and the canvas shows exactly the screen;
//  - a click starts the music, which plays and is not silent;
//  - Escape ends the intro.
// Screenshots go to <out>/screenshots. Closes with "N passed, M failed"; exits 1 on any failure.
//   node tests/web/browser-test.mjs --site <dir> --expected <native hashes> --frames "<args>"
//        --out <dir>        (puppeteer-core is looked up in $ORBITRA_WEB_MODULES)
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { parseArgs } from 'node:util';
import { startServer } from '../../web/serve.mjs';

const { values: options } = parseArgs({
  options: { site: { type: 'string' }, expected: { type: 'string' },
             frames: { type: 'string' }, out: { type: 'string' } },
});
const require = createRequire(path.join(process.env.ORBITRA_WEB_MODULES || '.', 'x.js'));
const puppeteer = require('puppeteer-core');
const shots = path.join(options.out, 'screenshots');
fs.mkdirSync(shots, { recursive: true });

const results = [];
async function check(name, body) {
  try {
    const note = await body();
    results.push(true);
    console.error(`ok   ${name}${note ? ` (${note})` : ''}`);
  } catch (error) {
    results.push(false);
    console.error(`FAIL ${name}: ${error.message}`);
  }
}
function expect(condition, message) {
  if (!condition) throw new Error(message);
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
async function waitFor(page, predicate, timeoutMs, what) {
  try {
    await page.waitForFunction(predicate, { timeout: timeoutMs, polling: 100 });
  } catch {
    const state = await page.evaluate(() => JSON.stringify(window.orbitra));
    throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}; page state ${state}`);
  }
}

const server = await startServer(options.site);
const origin = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--window-size=1280,720'],
  defaultViewport: { width: 1280, height: 720 },
});
const pageErrors = [];
async function openPage(query) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => pageErrors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') pageErrors.push(message.text());
  });
  await page.goto(origin + query, { waitUntil: 'load' });
  return page;
}

try {
  // The page as a visitor opens it.
  const page = await openPage('');
  await check('the first frame appears, scaled by a whole factor, with the music overlay',
    async () => {
      await waitFor(page, () => window.orbitra.firstFrameMs !== null, 15000, 'a first frame');
      const facts = await page.evaluate(() => {
        const canvas = document.getElementById('screen').getBoundingClientRect();
        return { first: window.orbitra.firstFrameMs, width: canvas.width, height: canvas.height,
                 overlay: getComputedStyle(document.getElementById('overlay')).display,
                 text: document.getElementById('message').textContent };
      });
      expect(facts.width % 320 === 0 && facts.width / 320 === facts.height / 240,
             `canvas shown at ${facts.width}x${facts.height}`);
      expect(facts.width === 960, `1280x720 fits 3x, shown at ${facts.width}x${facts.height}`);
      expect(facts.overlay !== 'none' && /music/i.test(facts.text), 'no music overlay');
      const before = await page.evaluate(() => [window.orbitra.frames, performance.now()]);
      await sleep(2500);
      const after = await page.evaluate(() => [window.orbitra.frames, performance.now()]);
      await page.screenshot({ path: path.join(shots, 'opening.png') });
      // The rate is reported, not asserted: a loaded machine may drop animation frames.
      const rate = ((after[0] - before[0]) * 1000) / (after[1] - before[1]);
      return `first frame ${facts.first.toFixed(0)} ms after navigation, ` +
             `${facts.width}x${facts.height}, ${rate.toFixed(1)} frames a second`;
    });

  await check('a click starts the music, and it is not silent', async () => {
    await page.mouse.click(640, 360);
    await waitFor(page, () => window.orbitra.audio.playedFrames > 2 * 22050, 15000,
                  'two seconds of sound played');
    const audio = await page.evaluate(() => window.orbitra.audio);
    const overlay = await page.evaluate(
      () => getComputedStyle(document.getElementById('overlay')).display);
    expect(overlay === 'none', 'the overlay stayed');
    expect(audio.peak > 2000, `peak level only ${audio.peak}`);
    expect(audio.loudSamples > audio.pulledFrames / 4,
           `${audio.loudSamples} audible samples in ${audio.pulledFrames} frames`);
    return `${audio.playedFrames} frames played, peak ${audio.peak}`;
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
    await waitFor(page, () => !window.orbitra.running, 5000, 'the intro to end');
    const { status, frames } = await page.evaluate(() => window.orbitra);
    await sleep(300);
    const later = await page.evaluate(() => window.orbitra.frames);
    expect(status === 0, `ended with status ${status}`);
    expect(later === frames, `frames went on after the end: ${frames} then ${later}`);
    await page.screenshot({ path: path.join(shots, 'ended.png') });
  });
  await page.close();

  // Every frame under the scripted clock, against the desktop frame tool.
  const [end, every, ...jumps] = options.frames.split(/\s+/);
  const testPage = await openPage(`?test&t0=0&end=${end}&every=${every}&jumps=${jumps.join(',')}`);
  await check('every frame hashes as the desktop draws it', async () => {
    await waitFor(testPage, () => window.orbitra.test && window.orbitra.test.done, 600000,
                  'the test frames');
    const test = await testPage.evaluate(() => window.orbitra.test);
    const expected = fs.readFileSync(options.expected, 'utf8').trim().split('\n');
    expect(test.held === 0, `the limiter held ${test.held} frames under the scripted clock`);
    expect(test.lines.length === expected.length,
           `${test.lines.length} hash lines, the desktop printed ${expected.length}`);
    const first = expected.findIndex((line, i) => line !== test.lines[i]);
    expect(first < 0, `first difference at line ${first + 1}: desktop "${expected[first]}", ` +
                      `browser "${test.lines[first]}"`);
    return `${test.compared} frames drawn, ${expected.length} hash lines equal, ` +
           `${(test.ms / 1000).toFixed(1)} s`;
  });
  await check('the canvas shows exactly the screen, checked once a second', async () => {
    const test = await testPage.evaluate(() => window.orbitra.test);
    expect(test.canvasChecks >= 100, `only ${test.canvasChecks} checks`);
    expect(test.canvasDifferences.length === 0,
           `differences ${JSON.stringify(test.canvasDifferences.slice(0, 5))}`);
    await testPage.screenshot({ path: path.join(shots, 'scripted-last-frame.png') });
    return `${test.canvasChecks} checks`;
  });
  await testPage.close();

  await check('no errors on the pages', async () => {
    expect(pageErrors.length === 0, pageErrors.slice(0, 5).join(' | '));
  });
} finally {
  await browser.close();
  server.close();
}

const passed = results.filter(Boolean).length;
const failed = results.length - passed;
console.error(`screenshots in ${shots}`);
console.error(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
