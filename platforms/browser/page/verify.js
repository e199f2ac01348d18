// The scripted runs. ?test starts the intro at once and drives the frames with a scripted clock
// (frame n at tick t0 + 20 n) while recording frame hashes for the browser test. ?verify checks
// the files against the golden sums, the soundtrack second by second as the output would pull
// it, then draws the golden run the same way and compares it with the golden lists (loaded for
// it alone), showing its progress and, over the last frame held still, one line: everything
// identical, or the first difference.
'use strict';
(function (page) {
  const state = page.state;
  const progress = document.getElementById('progress');
  const bar = progress.querySelector('progress');
  const step = progress.querySelector('span');

  function showProgress(text, done, total) {
    progress.hidden = false;
    bar.max = total;
    bar.value = done;
    step.textContent = text;
  }

  // Every frame from t0 to end, 20 ms apart, then single frames at the jump ticks, recorded as
  // the desktop frame tools print them: "frames <end> <every> <jumps...>", "<tick> <hash>" for
  // the first frame at or after each multiple of every, "all <hash>" over every frame of the run,
  // then one line per jump. Once a second of frames the canvas is read back and compared with the
  // screen. After that the clock of ?test keeps stepping one frame per animation frame, so
  // Escape can end the intro.
  function run(params, verifying) {
    const number = (name, fallback) => Number(params.get(name) ?? fallback);
    let t0 = number('t0', 0);
    let end = number('end', 180000);
    const every = number('every', 250);
    let jumps = (params.get('jumps') || '').split(',').filter(Boolean).map(Number);
    const test = (state.test = { done: false, lines: [], frames: 0, held: 0, canvasChecks: 0,
                                 canvasDifferences: [], ms: 0 });
    let same = verifying;
    function showVerdict() {
      state.verdict = Module.UTF8ToString(Module._orbitra_verify_verdict());
      progress.hidden = true;
      page.card.showNotice(state.verdict, true);
    }
    function finish() {
      test.done = true;
      if (verifying) showVerdict();
      else requestAnimationFrame(idle);
    }
    if (verifying) {
      showProgress('Checking the files…', 0, 1);
      end = Module._orbitra_verify_begin();
      if (end < 0) {
        finish();
        return;
      }
      t0 = 0;
      jumps = [];
      for (let i = 0; i < Module._orbitra_verify_jump_count(); i++) {
        jumps.push(Module._orbitra_verify_jump(i));
      }
    }
    test.lines.push(['frames', end, every, ...jumps].join(' '));
    const frameCount = Math.floor((end - t0) / 20) + 1 + jumps.length;
    const verify = (ok) => {
      if (same && !ok) {
        same = false;
        showVerdict();
      }
    };
    const started = performance.now();
    const hash = () => Module.UTF8ToString(Module._orbitra_frame_hash());
    let tick = t0;
    let nextMark = 0;

    // False once the intro has ended. A frame the limiter holds is not drawn, so not counted
    // (under this clock it never holds one; the desktop tools have no limiter at all).
    function draw(at) {
      page.showFrame = test.done || (test.frames + 1) % 50 === 0;
      const result = Module._orbitra_test_frame(at >>> 0);
      page.showFrame = true;
      if (result === 2) {
        test.held++;
        return true;
      }
      test.frames++;
      if (result === 1 && test.frames % 50 === 0) checkCanvas(at);
      return result === 1;
    }
    function checkCanvas(at) {
      const bytes = page.context.getImageData(0, 0, page.canvas.width, page.canvas.height).data;
      const pointer = Module._malloc(bytes.length);
      Module.HEAPU8.set(bytes, pointer);
      const differing = Module._orbitra_canvas_differences(pointer);
      Module._free(pointer);
      test.canvasChecks++;
      if (differing !== 0) test.canvasDifferences.push({ tick: at, pixels: differing });
    }
    // Each step works for a slice of time and gives the page back its thread.
    const later = (next) => setTimeout(next, 0);
    const slice = () => performance.now() + 40;
    function range() {
      for (const until = slice(); tick <= end && performance.now() < until; tick += 20) {
        if (!draw(tick)) return;
        if (same) verify(Module._orbitra_verify_frame(tick));
        if (tick >= nextMark) {
          test.lines.push(tick + ' ' + hash());
          while (nextMark <= tick) nextMark += every;
        }
      }
      if (same) showProgress(`Checking frame ${test.frames} of ${frameCount}…`, test.frames,
                             frameCount);
      if (tick <= end) {
        later(range);
        return;
      }
      test.lines.push('all ' + Module.UTF8ToString(Module._orbitra_all_frames_hash()));
      if (same) verify(Module._orbitra_verify_all_frames());
      for (const at of jumps) {
        if (!draw(at)) return;
        if (same) verify(Module._orbitra_verify_frame(at));
        test.lines.push(at + ' ' + hash());
        tick = at + 20;
      }
      test.ms = performance.now() - started;
      test.compared = test.frames;
      finish();
    }
    let second = 0;
    function sound() {
      const seconds = Module._orbitra_verify_sound_seconds();
      for (const until = slice(); same && second < seconds && performance.now() < until;) {
        second++;
        verify(Module._orbitra_verify_sound_second() === 1);
      }
      if (!same) {
        finish();
      } else if (second < seconds) {
        showProgress(`Checking the sound: ${second} of ${seconds} s…`, second, seconds);
        later(sound);
      } else {
        later(range);
      }
    }
    function idle() {
      if (draw(tick)) {
        tick += 20;
        requestAnimationFrame(idle);
      }
    }
    later(verifying ? sound : range);
  }

  Object.assign(page, { scripted: { run } });
})(window.orbitraPage);
