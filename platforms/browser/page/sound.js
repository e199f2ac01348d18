// The sound: the library's mixer fills one buffer per pull, here on the page's thread; the
// worklet plays the queue on the audio thread and reports what it played and where it ran dry.
// Sound is produced on this thread, which the browser may stall: a second and a half is kept
// queued ahead of the output.
'use strict';
(function (page) {
  const state = page.state;
  const aheadSeconds = 1.5;
  const audio = { spec: null, context: null, node: null, send: null, sent: 0, timer: 0,
                  device: null, available: false, worklet: null, starting: null };

  function stop() {
    clearInterval(audio.timer);
    if (audio.node) audio.node.disconnect();
    for (const ctx of [audio.context, audio.device]) if (ctx) ctx.close().catch(() => {});
    audio.context = audio.node = audio.send = audio.device = null;
  }

  function withoutSound(reason) {
    console.warn(`no sound: ${reason}`);
    stop();
    page.card.showNotice(audio.available ? `The sound could not start (${reason}): the intro ` +
                                           'goes on without it.'
                                         : 'No sound device was found: the intro goes on ' +
                                           'without sound.');
    audio.available = false;
  }

  const settled = (promise) =>
    Promise.race([promise, new Promise((resolve) => setTimeout(resolve, 3000))]);

  // The first sound output a page opens can take a second or more to start (Firefox's does);
  // once one runs, the next starts at once. So one is started at the click, and the intro only
  // when it runs: the intro's clock, its music and its first frame then begin together. Without
  // a sound device it never runs (Firefox leaves it suspended).
  async function wake() {
    try {
      const device = (audio.device = new AudioContext());
      await settled(device.resume());
      if (device.state !== 'running') throw new Error(`sound output ${device.state}`);
      audio.available = true;
    } catch (error) {
      withoutSound(error);
    }
  }

  // The output at the rate the intro opened its sound with, started once the device is awake.
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
      await settled(running);
      if (audio.context !== ctx) return;
      if (ctx.state !== 'running') throw new Error(`sound output ${ctx.state}`);
    } catch (error) {
      if (audio.context === ctx) withoutSound(error);
      return;
    }
    if (audio.device) audio.device.close().catch(() => {});
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

  // Tops the queue up, a few buffers at a time so that no call holds up a frame for long. What
  // is sent is also hashed (FNV-1a over the 16-bit samples), so a test can compare it with the
  // soundtrack the desktop tools render.
  function pump() {
    const spec = audio.spec;
    if (!spec || !audio.send) return;
    const heard = state.audio;
    for (let pulls = 0; pulls < 4 && audio.sent - heard.playedFrames < spec.rate * aheadSeconds;
         pulls++) {
      const pointer = Module._orbitra_audio_pull();
      if (!pointer) return;
      const count = spec.frames * spec.channels;
      const samples = Module.HEAP16.slice(pointer >> 1, (pointer >> 1) + count);
      let hash = heard.sentHash;
      for (let i = 0; i < count; i++) {
        const level = Math.abs(samples[i]);
        if (level > heard.peak) heard.peak = level;
        if (level > 64) heard.loudSamples++;
        hash = Math.imul(hash ^ (samples[i] & 0xff), 16777619);
        hash = Math.imul(hash ^ ((samples[i] >> 8) & 0xff), 16777619);
      }
      heard.sentHash = hash >>> 0;
      audio.send({ channels: spec.channels, samples });
      audio.sent += spec.frames;
      heard.sentFrames += spec.frames;
      heard.pulledFrames += spec.frames;
    }
  }

  // The program opened its sound: `frames` sample frames of `channels` 16-bit samples a pull.
  function open(rate, channels, frames, play) {
    audio.spec = { rate, channels, frames };
    audio.sent = 0;
    Object.assign(state.audio, { started: false, startMs: null, playedFrames: 0,
                                 starvedFrames: 0, longestGap: 0, sentFrames: 0,
                                 sentHash: 2166136261 });
    if (play) {
      audio.starting = openOutput().finally(() => (audio.starting = null));
    }
  }
  function close() {
    stop();
    audio.spec = null;
  }

  Object.assign(page, {
    sound: { wake, open, close, stop, starting: () => audio.starting,
             setWorklet: (address) => (audio.worklet = address) },
  });
})(window.orbitraPage);
