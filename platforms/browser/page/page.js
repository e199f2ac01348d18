// The page around the intro: it loads the program and its data, shows the title card (card.js)
// and starts the intro at the visitor's click or key: the library's clock, the music (sound.js)
// and the first frame begin together, so tick 0 is that click. It shows the 16-bit screen on
// the canvas. A failure to load or start ends in one sentence on the card, never in a dead page;
// a page whose scripts do not all run says so by itself (index.html).
//
// The single-file page (orbitra.html) carries the program, its data, the sound worklet and the
// golden lists in script elements marked data-file; the served site fetches them from beside
// the page. ?test and ?verify are the scripted runs of verify.js.
//
// The hooks between the page and the program, all of them:
//   the page gives the program (Module.*)  orbitraTestMode, orbitraPresent (a frame to show),
//     orbitraNextKey (the next key change), orbitraAudioOpen / orbitraAudioClose (the sound's
//     format, sdl/page.c), orbitraEnded (the run's status, main.cpp)
//   the program gives the page (Module._*)  orbitra_caption, orbitra_audio_pull (one buffer of
//     sound), and for the scripted runs orbitra_test_frame, orbitra_frame_hash,
//     orbitra_all_frames_hash, orbitra_canvas_differences and the orbitra_verify_* calls
'use strict';
(function (page) {
  const state = page.state;
  const params = new URLSearchParams(location.search);
  const verifyMode = params.has('verify');
  const testMode = params.has('test') || verifyMode;
  // The golden lists ?verify checks, written where the program looks for them.
  const goldenFiles = ['frames.txt', 'sound.txt', 'sums.txt'];
  const canvas = page.canvas;
  const context = (page.context = canvas.getContext('2d', { willReadFrequently: testMode }));
  const image = context.createImageData(canvas.width, canvas.height);
  const rgba = new Uint32Array(image.data.buffer);
  page.showFrame = true;  // the scripted runs show only the frames they compare with the canvas

  let introStarted = false;
  // From the title card or the end card.
  async function start() {
    if (state.phase !== 'ready' && state.phase !== 'ended') return;
    state.clickMs = performance.now();
    state.firstFrameMs = null;
    page.card.show('starting', 'Starting…');
    await page.sound.wake();
    if (state.phase !== 'starting') return;
    page.card.show('running', '');
    state.introMs = performance.now();
    state.runs++;
    Module.callMain([]);
    // Setting the video mode shows the empty screen; the intro's frames come after start-up.
    introStarted = true;
    // The worklet needs a moment to start on its thread: the first frame waits for the sound.
    const sound = page.sound.starting();
    if (sound && state.phase === 'running') {
      Module.pauseMainLoop();
      await sound;
      if (state.phase === 'running') Module.resumeMainLoop();
    }
  }

  function present(pointer, width, height, pitch, bitsPerPixel) {
    if (!page.showFrame) return;
    if (bitsPerPixel !== 16) throw new Error('the page shows 16-bit screens only');
    const heap = Module.HEAPU16;
    for (let y = 0; y < height; y++) {
      const row = (pointer + y * pitch) >> 1;
      for (let x = 0; x < width; x++) {
        const v = heap[row + x];
        // 5-6-5 widened to 8 bits by repeating the top bits, as the library reads colours.
        const r = v >> 11, g = (v >> 5) & 63, b = v & 31;
        rgba[y * width + x] = 0xff000000 | (((b << 3) | (b >> 2)) << 16) |
                              (((g << 2) | (g >> 4)) << 8) | ((r << 3) | (r >> 2));
      }
    }
    context.putImageData(image, 0, 0);
    if (!introStarted) return;
    state.frames++;
    if (state.firstFrameMs === null) state.firstFrameMs = performance.now();
  }

  let lastError = '';
  function ended(status) {
    state.status = status;
    page.sound.stop();
    if (status !== 0) {
      if (introStarted) Module.pauseMainLoop();
      const reason = lastError ? lastError.replace(/\.?$/, '.') : 'see the browser console.';
      page.card.fail(`The intro ${state.frames > 0 ? 'stopped' : 'could not start'}: ${reason}`);
      return;
    }
    introStarted = false;
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
    page.card.show('ended', 'The intro has ended. Click or press Enter to watch it again.');
  }

  // Loading. A file carried in the page comes as text (scripts) or gzip-compressed in base64
  // (the rest); others are fetched.
  const carried = (name) => document.querySelector(`script[data-file="${name}"]`);

  async function fetchFile(name) {
    let response;
    try {
      response = await fetch(name);
    } catch {
      throw new Error(location.protocol === 'file:' ? page.fromDisk
                      : `The intro could not load ${name}: the connection failed.`);
    }
    if (!response.ok) {
      throw new Error(`The intro could not load ${name}: the server answered ` +
                      `${response.status} ${response.statusText}`.trim() + '.');
    }
    return response;
  }

  async function loadBytes(name) {
    const element = carried(name);
    if (!element) return (await fetchFile(name)).arrayBuffer();
    const text = atob(element.textContent.trim());
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Response(stream).arrayBuffer();
  }

  // The worklet's address: a data: one, made at load, so that starting the sound needs no
  // download (and Chromium refuses a blob: address from a page opened from a file).
  async function loadWorklet() {
    const element = carried('audio-worklet.js');
    const text = element ? element.textContent : await (await fetchFile('audio-worklet.js')).text();
    page.sound.setWorklet('data:text/javascript;charset=utf-8,' + encodeURIComponent(text));
  }

  function runProgram() {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      const element = carried('orbitra.js');
      if (element) {
        script.textContent = element.textContent;
        document.body.append(script);
        resolve();
        return;
      }
      script.onload = resolve;
      script.onerror = () => reject(new Error(location.protocol === 'file:' ? page.fromDisk
        : 'The intro could not load orbitra.js.'));
      script.src = 'orbitra.js';
      document.body.append(script);
    });
  }

  function ready(golden) {
    page.card.setCaption(Module.UTF8ToString(Module._orbitra_caption()));
    if (testMode) {
      if (verifyMode) {
        Module.FS.mkdirTree('res/golden');
        goldenFiles.forEach((name, i) => Module.FS.writeFile(`res/golden/${name}`, golden[i]));
      }
      page.card.show('running', '');
      Module.callMain([]);
      introStarted = true;
      page.scripted.run(params, verifyMode);
      return;
    }
    state.readyMs = performance.now();
    page.card.show('ready', 'Click or press Enter to start.');
  }

  async function load() {
    if (typeof WebAssembly !== 'object') {
      page.card.fail('This browser cannot run the intro: it has no WebAssembly.');
      return;
    }
    const [wasmBinary, data, golden] = await Promise.all([
      loadBytes('orbitra.wasm'), loadBytes('orbitra.data'),
      verifyMode ? Promise.all(goldenFiles.map(async (name) =>
        new Uint8Array(await loadBytes(`golden/${name}`)))) : null,
      loadWorklet()]);
    window.Module = {
      canvas,
      noInitialRun: true,
      wasmBinary,
      getPreloadedPackage: () => data,
      orbitraTestMode: testMode,
      orbitraPresent: present,
      orbitraNextKey: page.card.nextKey,
      orbitraAudioOpen: (rate, channels, frames) =>
        page.sound.open(rate, channels, frames, !testMode),
      orbitraAudioClose: page.sound.close,
      orbitraEnded: ended,
      print: (text) => console.log(text),
      printErr: (text) => {
        lastError = text;
        console.error(text);
      },
      onAbort: (what) => page.card.fail(`The intro stopped on an error: ${what}`),
      // A run the program ends on a failure (with a status) ends here, wherever it stood.
      quit: (status, toThrow) => {
        if (status !== 0) ended(status);
        throw toThrow;
      },
      onRuntimeInitialized: () => ready(golden),
    };
    await runProgram();
  }

  page.start = start;
  // Every part of the page has run: the sentence index.html keeps for a page whose scripts did
  // not all load stays hidden.
  if (page.card && page.sound && page.scripted) {
    document.documentElement.classList.add('scripted');
    load().catch((error) => page.card.fail(error.message));
  }
})(window.orbitraPage);
