// The page around the intro. It loads the program and its data, shows a title card with the
// intro's caption, and starts the intro at the visitor's click or key: the library's clock, the
// music and the first frame begin together, so tick 0 is that click. It shows the 16-bit screen
// on the canvas at the largest whole scale that fits, passes keys on, keeps the sound queued
// well ahead of the output, and goes full screen on "f" or a double click. A failure to load or
// start ends in one sentence on the card, never in a dead page.
//
// The single-file page (orbitra.html) carries the program, its data and the sound worklet in
// script elements marked data-file; the served site fetches them from beside the page.
//
// With ?test in the address the intro starts at once and the frames are driven by a scripted
// clock instead (frame n at tick t0 + 20 n) while the page records frame hashes for the browser
// test; see runTest below.
'use strict';
(function () {
  const params = new URLSearchParams(location.search);
  // ?verify draws the golden run as ?test does and compares it with the golden list (loaded
  // for it alone), showing one line: every frame identical, or the first that differs.
  const verifyMode = params.has('verify');
  const testMode = params.has('test') || verifyMode;
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { willReadFrequently: testMode });
  const card = document.getElementById('card');
  const caption = document.getElementById('caption');
  const message = document.getElementById('message');
  const notice = document.getElementById('notice');
  const image = context.createImageData(canvas.width, canvas.height);
  const rgba = new Uint32Array(image.data.buffer);
  // Sound is produced on this thread, which the browser may stall: keep this much queued.
  const aheadSeconds = 1.5;

  // What the browser test reads. phase: loading, ready, starting, running, ended or failed.
  const state = (window.orbitra = {
    phase: 'loading',
    readyMs: null,
    clickMs: null,
    introMs: null,
    firstFrameMs: null,
    frames: 0,
    status: null,
    failure: null,
    notice: null,
    audio: { started: false, startMs: null, pulledFrames: 0, playedFrames: 0, starvedFrames: 0,
             longestGap: 0, peak: 0, loudSamples: 0 },
    test: null,
  });

  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.floor(Math.min((innerWidth * ratio) / canvas.width,
                                                  (innerHeight * ratio) / canvas.height)));
    canvas.style.width = (canvas.width * scale) / ratio + 'px';
    canvas.style.height = (canvas.height * scale) / ratio + 'px';
  }
  addEventListener('resize', fit);
  fit();

  function showCard(phase, text) {
    state.phase = phase;
    card.className = phase;
    message.textContent = text;
  }

  // Chromium keeps a page opened from a file from loading its neighbours.
  const fromDisk = 'This page cannot load the intro when opened from a file: the browser forbids ' +
                   'it. Serve the folder with a web server, or open orbitra.html, the ' +
                   'single-file page, instead.';

  // The first failure names the cause; what follows from it is not news.
  function fail(sentence) {
    if (state.phase === 'failed' || state.phase === 'ended') return;
    state.failure = sentence;
    stopAudio();
    showCard('failed', sentence);
    if (sentence === fromDisk) {
      const link = Object.assign(document.createElement('a'), { href: 'orbitra.html',
                                                                textContent: 'orbitra.html' });
      const [before, after] = sentence.split('orbitra.html');
      message.replaceChildren(before, link, after);
    }
  }
  addEventListener('error', (event) => fail(`The intro stopped on an error: ${event.message}`));
  addEventListener('unhandledrejection', (event) =>
    fail(`The intro stopped on an error: ${event.reason}`));

  let noticeTimer = 0;
  function showNotice(text) {
    state.notice = text;
    notice.replaceChildren(Object.assign(document.createElement('span'), { textContent: text }));
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(() => notice.replaceChildren(), 8000);
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }
  addEventListener('dblclick', () => {
    if (state.phase === 'running') toggleFullScreen();
  });

  // Key changes wait here until the video driver reads them, as (pressed << 16 | key).
  const keys = [];
  const namedKeys = { Escape: 27, Enter: 13, Tab: 9, Backspace: 8, ArrowUp: 273,
                      ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276 };
  function keyCode(event) {
    if (event.key in namedKeys) return namedKeys[event.key];
    if (event.key.length === 1 && event.key.charCodeAt(0) < 128) {
      return event.key.toLowerCase().charCodeAt(0);
    }
    return 0;
  }
  function onKey(event, pressed) {
    if (pressed && !event.repeat && event.key.toLowerCase() === 'f' &&
        (state.phase === 'ready' || state.phase === 'running')) {
      toggleFullScreen();
    }
    if (state.phase === 'ready') {
      // Any key but Escape (which ends, and leaves full screen) starts the intro.
      if (pressed && event.key !== 'Escape' && !event.ctrlKey && !event.altKey && !event.metaKey) {
        start();
      }
      return;
    }
    if (state.phase !== 'running') return;
    const code = keyCode(event);
    if (code !== 0) keys.push((pressed ? 1 << 16 : 0) | code);
  }
  addEventListener('keydown', (event) => onKey(event, true));
  addEventListener('keyup', (event) => onKey(event, false));
  card.addEventListener('click', (event) => {
    if (!event.target.closest('a')) start();
  });

  let introStarted = false;
  async function start() {
    if (state.phase !== 'ready') return;
    state.clickMs = performance.now();
    showCard('starting', 'Starting…');
    await wakeSoundDevice();
    if (state.phase !== 'starting') return;
    showCard('running', '');
    state.introMs = performance.now();
    Module.callMain([]);
    // Setting the video mode shows the empty screen; the intro's frames come after start-up.
    introStarted = true;
    // The worklet needs a moment to start on its thread: the first frame waits for the sound.
    if (audio.starting && state.phase === 'running') {
      audio.holding = true;
      Module.pauseMainLoop();
    }
  }

  // The sound: the library's mixer fills one buffer per pull, here on the page's thread; the
  // worklet plays the queue on the audio thread and reports what it played and where it ran dry.
  const audio = { spec: null, context: null, node: null, send: null, sent: 0, timer: 0,
                  device: null, available: false, worklet: null, starting: false,
                  holding: false };

  function stopAudio() {
    clearInterval(audio.timer);
    if (audio.node) audio.node.disconnect();
    for (const ctx of [audio.context, audio.device]) if (ctx) ctx.close().catch(() => {});
    audio.context = audio.node = audio.send = audio.device = null;
  }

  function withoutSound(reason) {
    console.warn(`no sound: ${reason}`);
    stopAudio();
    showNotice(audio.available ? `The sound could not start (${reason}): the intro goes on ` +
                                 'without it.'
                               : 'No sound device was found: the intro goes on without sound.');
    audio.available = false;
  }

  // The first sound output a page opens can take a second or more to start (Firefox's does);
  // once one runs, the next starts at once. So one is started at the click, and the intro only
  // when it runs: the intro's clock, its music and its first frame then begin together. Without
  // a sound device it never runs (Firefox leaves it suspended).
  async function wakeSoundDevice() {
    try {
      const device = (audio.device = new AudioContext());
      await Promise.race([device.resume(), new Promise((resolve) => setTimeout(resolve, 3000))]);
      if (device.state !== 'running') throw new Error(`sound output ${device.state}`);
      audio.available = true;
    } catch (error) {
      withoutSound(error);
    }
  }

  // The output at the rate the intro opened its sound with, started once the device is awake.
  async function startAudio() {
    audio.starting = true;
    try {
      await openOutput();
    } finally {
      audio.starting = false;
      if (audio.holding) {
        audio.holding = false;
        if (state.phase === 'running') Module.resumeMainLoop();
      }
    }
  }
  async function openOutput() {
    const spec = audio.spec;
    if (!audio.available) return;
    let ctx;
    try {
      ctx = audio.context = new AudioContext({ sampleRate: spec.rate });
      const running = ctx.resume();
      if (ctx.audioWorklet) {
        await ctx.audioWorklet.addModule(audio.worklet);
        if (audio.context !== ctx) return;  // closed meanwhile
        audio.node = new AudioWorkletNode(ctx, 'orbitra-feed',
                                          { numberOfInputs: 0, outputChannelCount: [2] });
        audio.node.port.onmessage = (event) => {
          Object.assign(state.audio, event.data);
          pump();
        };
        audio.send = (block) => audio.node.port.postMessage(block, [block.samples.buffer]);
      } else {
        scriptProcessorOutput(ctx);
      }
      audio.node.connect(ctx.destination);
      await Promise.race([running, new Promise((resolve) => setTimeout(resolve, 3000))]);
      if (audio.context !== ctx) return;
      if (ctx.state !== 'running') throw new Error(`sound output ${ctx.state}`);
    } catch (error) {
      if (audio.context === ctx) withoutSound(error);
      return;
    }
    audio.device.close().catch(() => {});
    audio.device = null;
    state.audio.started = true;
    state.audio.startMs = performance.now();
    audio.timer = setInterval(pump, 20);
    pump();
  }

  // Pages served without a secure context have no worklets: the older script processor, which
  // plays on this thread too.
  function scriptProcessorOutput(ctx) {
    const queue = [];
    let offset = 0;
    audio.node = ctx.createScriptProcessor(2048, 0, 2);
    audio.node.onaudioprocess = (event) => {
      const left = event.outputBuffer.getChannelData(0);
      const right = event.outputBuffer.getChannelData(1);
      for (let i = 0; i < left.length; i++) {
        const block = queue[0];
        if (!block) { left[i] = right[i] = 0; continue; }
        left[i] = block.samples[offset] / 32768;
        right[i] = block.samples[offset + block.channels - 1] / 32768;
        offset += block.channels;
        state.audio.playedFrames++;
        if (offset >= block.samples.length) { queue.shift(); offset = 0; }
      }
    };
    audio.send = (block) => queue.push(block);
  }

  // Tops the queue up, a few buffers at a time so that no call holds up a frame for long.
  function pump() {
    const spec = audio.spec;
    if (!spec || !audio.send) return;
    for (let pulls = 0; pulls < 4 &&
         audio.sent - state.audio.playedFrames < spec.rate * aheadSeconds; pulls++) {
      const pointer = Module._orbitra_audio_pull();
      if (!pointer) return;
      const count = spec.frames * spec.channels;
      const samples = Module.HEAP16.slice(pointer >> 1, (pointer >> 1) + count);
      for (let i = 0; i < count; i++) {
        const level = Math.abs(samples[i]);
        if (level > state.audio.peak) state.audio.peak = level;
        if (level > 64) state.audio.loudSamples++;
      }
      audio.send({ channels: spec.channels, samples });
      audio.sent += spec.frames;
      state.audio.pulledFrames += spec.frames;
    }
  }

  let showFrame = true;  // the test run shows only the frames it compares with the canvas
  function present(pointer, width, height, pitch, bitsPerPixel) {
    if (!showFrame) return;
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
  // The golden list's bytes, for ?verify only.
  // The golden lists, fetched only for ?verify and written where the program reads them.
  const goldenNames = ['golden/frames.txt', 'golden/sound.txt', 'golden/sums.txt'];
  let goldenLists = null;
  function ended(status) {
    state.status = status;
    stopAudio();
    if (status !== 0) {
      if (introStarted) Module.pauseMainLoop();
      const reason = lastError ? lastError.replace(/\.?$/, '.') : 'see the browser console.';
      fail(`The intro ${state.frames > 0 ? 'stopped' : 'could not start'}: ${reason}`);
      return;
    }
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
    showCard('ended', 'The intro has ended. Reload the page to watch it again.');
  }

  // Loading. A file carried in the page comes as text (scripts) or gzip-compressed in base64
  // (the rest); others are fetched.
  const carried = (name) => document.querySelector(`script[data-file="${name}"]`);

  async function fetchFile(name) {
    let response;
    try {
      response = await fetch(name);
    } catch {
      throw new Error(location.protocol === 'file:' ? fromDisk
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
    audio.worklet = 'data:text/javascript;charset=utf-8,' + encodeURIComponent(text);
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
      script.onerror = () => reject(new Error(location.protocol === 'file:' ? fromDisk
        : 'The intro could not load orbitra.js.'));
      script.src = 'orbitra.js';
      document.body.append(script);
    });
  }

  function ready() {
    caption.textContent = Module.UTF8ToString(Module._orbitra_caption());
    if (testMode) {
      state.phase = 'running';
      card.className = 'running';
      Module.callMain([]);
      introStarted = true;
      runTest();
      return;
    }
    state.readyMs = performance.now();
    showCard('ready', 'Click or press a key to start.');
  }

  async function load() {
    if (typeof WebAssembly !== 'object') {
      fail('This browser cannot run the intro: it has no WebAssembly.');
      return;
    }
    const [wasmBinary, data, golden] = await Promise.all([
      loadBytes('orbitra.wasm'), loadBytes('orbitra.data'),
      verifyMode ? Promise.all(goldenNames.map((name) => loadBytes(name))) : null, loadWorklet()]);
    goldenLists = golden ? golden.map((bytes) => new Uint8Array(bytes)) : null;
    window.Module = {
      canvas,
      noInitialRun: true,
      wasmBinary,
      getPreloadedPackage: () => data,
      orbitraTestMode: testMode,
      orbitraPresent: present,
      orbitraNextKey: () => (keys.length ? keys.shift() : -1),
      orbitraAudioOpen: (rate, channels, frames) => {
        audio.spec = { rate, channels, frames };
        if (!testMode) startAudio();
      },
      orbitraAudioClose: () => {
        stopAudio();
        audio.spec = null;
      },
      orbitraEnded: ended,
      print: (text) => console.log(text),
      printErr: (text) => {
        lastError = text;
        console.error(text);
      },
      onAbort: (what) => fail(`The intro stopped on an error: ${what}`),
      // A run the program ends on a failure (with a status) ends here, wherever it stood.
      quit: (status, toThrow) => {
        if (status !== 0) ended(status);
        throw toThrow;
      },
      onRuntimeInitialized: ready,
    };
    await runProgram();
  }
  load().catch((error) => fail(error.message));

  // Test mode: every frame from t0 to end, 20 ms apart, then single frames at the jump ticks,
  // recorded as the desktop frame tools print them: "<tick> <hash>" for the first frame at or
  // after each multiple of every, "all <hash>" over every frame of the run, then one line per
  // jump. Once a second of frames the canvas is read back and compared with the screen. After
  // that the clock keeps stepping one frame per animation frame, so Escape can end the intro.
  function runTest() {
    const number = (name, fallback) => Number(params.get(name) ?? fallback);
    let t0 = number('t0', 0);
    let end = number('end', 180000);
    const every = number('every', 250);
    let jumps = (params.get('jumps') || '').split(',').filter(Boolean).map(Number);
    let verifying = false;
    if (verifyMode) {
      Module.FS.mkdirTree('res/golden');
      goldenNames.forEach((name, i) => Module.FS.writeFile('res/' + name, goldenLists[i]));
      end = Module._orbitra_verify_begin();
      // The soundtrack first, pulled as the output pulls it, then the frames.
      for (let second = 0; end >= 0 && second < Module._orbitra_verify_sound_seconds(); second++) {
        if (!Module._orbitra_verify_sound_second()) end = -1;
      }
      if (end < 0) {
        showVerdict();
        return;
      }
      t0 = 0;
      jumps = [];
      for (let i = 0; i < Module._orbitra_verify_jump_count(); i++) {
        jumps.push(Module._orbitra_verify_jump(i));
      }
      verifying = true;
    }
    function showVerdict() {
      state.verdict = Module.UTF8ToString(Module._orbitra_verify_verdict());
      clearTimeout(noticeTimer);
      notice.replaceChildren(Object.assign(document.createElement('span'),
                                           { textContent: state.verdict }));
    }
    const verify = (ok) => {
      if (verifying && !ok) {
        verifying = false;
        showVerdict();
      }
    };
    const test = (state.test = { done: false, lines: [], frames: 0, held: 0, canvasChecks: 0,
                                 canvasDifferences: [], ms: 0 });
    const started = performance.now();
    const hash = () => Module.UTF8ToString(Module._orbitra_frame_hash());
    let tick = t0;
    let nextMark = 0;
    test.lines.push(['frames', end, every, ...jumps].join(' '));

    // False once the intro has ended. A frame the limiter holds is not drawn, so not counted
    // (under this clock it never holds one; the desktop tools have no limiter at all).
    function draw(at) {
      showFrame = test.done || (test.frames + 1) % 50 === 0;
      const result = Module._orbitra_test_frame(at >>> 0);
      showFrame = true;
      if (result === 2) {
        test.held++;
        return true;
      }
      test.frames++;
      if (result === 1 && test.frames % 50 === 0) checkCanvas(at);
      return result === 1;
    }
    function checkCanvas(at) {
      const bytes = context.getImageData(0, 0, canvas.width, canvas.height).data;
      const pointer = Module._malloc(bytes.length);
      Module.HEAPU8.set(bytes, pointer);
      const differing = Module._orbitra_canvas_differences(pointer);
      Module._free(pointer);
      test.canvasChecks++;
      if (differing !== 0) test.canvasDifferences.push({ tick: at, pixels: differing });
    }
    function range() {
      const until = performance.now() + 40;
      while (tick <= end && performance.now() < until) {
        if (!draw(tick)) return;
        if (verifying) verify(Module._orbitra_verify_frame(tick));
        if (tick >= nextMark) {
          test.lines.push(tick + ' ' + hash());
          while (nextMark <= tick) nextMark += every;
        }
        tick += 20;
      }
      if (tick <= end) {
        setTimeout(range, 0);
        return;
      }
      test.lines.push('all ' + Module.UTF8ToString(Module._orbitra_all_frames_hash()));
      if (verifying) verify(Module._orbitra_verify_all_frames());
      for (const at of jumps) {
        if (!draw(at)) return;
        if (verifying) verify(Module._orbitra_verify_frame(at));
        test.lines.push(at + ' ' + hash());
        tick = at + 20;
      }
      test.ms = performance.now() - started;
      test.compared = test.frames;
      if (verifying) showVerdict();
      test.done = true;
      requestAnimationFrame(idle);
    }
    function idle() {
      if (draw(tick)) {
        tick += 20;
        requestAnimationFrame(idle);
      }
    }
    setTimeout(range, 0);
  }
})();
