// The page around the intro: shows the 16-bit screen on the canvas at the largest whole scale
// that fits, passes keys on, plays the sound through Web Audio once the visitor has clicked or
// pressed a key, and goes full screen on a double click or "f".
//
// With ?test in the address the frames are driven by a scripted clock instead (frame n at tick
// t0 + 20 n) and the page records frame hashes for the browser test; see runTest below.
'use strict';
(function () {
  const params = new URLSearchParams(location.search);
  const testMode = params.has('test');
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { willReadFrequently: testMode });
  const overlay = document.getElementById('overlay');
  const message = document.getElementById('message');
  const image = context.createImageData(canvas.width, canvas.height);
  const rgba = new Uint32Array(image.data.buffer);

  // What the browser test reads.
  const state = (window.orbitra = {
    running: true,
    status: null,
    firstFrameMs: null,
    frames: 0,
    audio: { started: false, pulledFrames: 0, playedFrames: 0, peak: 0, loudSamples: 0 },
    test: null,
    error: null,
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

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }
  addEventListener('dblclick', toggleFullScreen);

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
    if (pressed && !event.repeat && event.key.toLowerCase() === 'f') toggleFullScreen();
    const code = keyCode(event);
    if (code !== 0) keys.push((pressed ? 1 << 16 : 0) | code);
    if (pressed) userActed();
  }
  addEventListener('keydown', (event) => onKey(event, true));
  addEventListener('keyup', (event) => onKey(event, false));
  overlay.addEventListener('click', userActed);

  // Browsers keep sound off until the visitor acts; the first click or key starts it.
  let acted = false;
  function userActed() {
    if (acted || !state.running) return;
    acted = true;
    overlay.classList.add('gone');
    startAudio();
  }

  const audio = { spec: null, context: null, node: null, send: null, sent: 0, timer: 0 };

  async function startAudio() {
    if (!audio.spec || audio.context) return;
    const spec = audio.spec;
    const ctx = (audio.context = new AudioContext({ sampleRate: spec.rate }));
    if (ctx.audioWorklet) {
      await ctx.audioWorklet.addModule('audio-worklet.js');
      if (audio.context !== ctx) return;  // closed meanwhile
      audio.node = new AudioWorkletNode(ctx, 'orbitra-feed',
                                        { numberOfInputs: 0, outputChannelCount: [2] });
      audio.node.port.onmessage = (event) => (state.audio.playedFrames = event.data);
      audio.send = (block) => audio.node.port.postMessage(block, [block.samples.buffer]);
    } else {
      // Pages served without a secure context have no worklets: the older script processor.
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
    audio.node.connect(ctx.destination);
    await ctx.resume();
    state.audio.started = true;
    audio.timer = setInterval(pump, 20);
    pump();
  }

  // Keeps about a quarter of a second queued ahead of the output.
  function pump() {
    const spec = audio.spec;
    if (!spec || !audio.send) return;
    while (audio.sent - state.audio.playedFrames < spec.rate / 4) {
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

  function present(pointer, width, height, pitch, bitsPerPixel) {
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
    state.frames++;
    if (state.firstFrameMs === null) state.firstFrameMs = performance.now();
  }

  function ended(status) {
    state.running = false;
    state.status = status;
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
    message.textContent = status === 0 ? 'The intro has ended. Reload the page to watch it again.'
                                       : 'The intro could not start (see the browser console).';
    overlay.classList.remove('gone');
    overlay.style.cursor = 'default';
  }

  window.Module = {
    canvas,
    orbitraTestMode: testMode,
    orbitraPresent: present,
    orbitraNextKey: () => (keys.length ? keys.shift() : -1),
    orbitraAudioOpen: (rate, channels, frames) => {
      audio.spec = { rate, channels, frames };
      if (acted) startAudio();
    },
    orbitraAudioClose: () => {
      clearInterval(audio.timer);
      if (audio.node) audio.node.disconnect();
      if (audio.context) audio.context.close();
      audio.spec = audio.context = audio.node = audio.send = null;
    },
    orbitraEnded: ended,
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    onAbort: (what) => (state.error = String(what)),
    postRun: testMode ? [runTest] : [],
  };

  // Test mode: every frame from t0 to end, 20 ms apart, then single frames at the jump ticks,
  // recorded as the desktop frame tools print them: "<tick> <hash>" for the first frame at or
  // after each multiple of every, "all <hash>" over every frame of the run, then one line per
  // jump. Once a second of frames the canvas is read back and compared with the screen. After
  // that the clock keeps stepping one frame per animation frame, so Escape can end the intro.
  function runTest() {
    const number = (name, fallback) => Number(params.get(name) ?? fallback);
    const t0 = number('t0', 0);
    const end = number('end', 180000);
    const every = number('every', 250);
    const jumps = (params.get('jumps') || '').split(',').filter(Boolean).map(Number);
    const test = (state.test = { done: false, lines: [], frames: 0, held: 0, canvasChecks: 0,
                                 canvasDifferences: [], ms: 0 });
    const started = performance.now();
    const hash = () => Module.UTF8ToString(Module._orbitra_frame_hash());
    let tick = t0;
    let nextMark = 0;

    // False once the intro has ended. A frame the limiter holds is not drawn, so not counted
    // (under this clock it never holds one; the desktop tools have no limiter at all).
    function draw(at) {
      const result = Module._orbitra_test_frame(at >>> 0);
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
      for (const at of jumps) {
        if (!draw(at)) return;
        test.lines.push(at + ' ' + hash());
        tick = at + 20;
      }
      test.ms = performance.now() - started;
      test.compared = test.frames;
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
