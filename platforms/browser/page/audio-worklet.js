// Plays the intro's sound as the page sends it: blocks of interleaved signed 16-bit samples,
// queued in order. When the queue runs dry it plays silence, and once the sound has begun each
// such frame counts as starved: the page's queue was not kept ahead of the output. Every few
// render quanta it tells the page what it played, so the page keeps the queue filled and a test
// can see any gap.
class OrbitraFeed extends AudioWorkletProcessor {
  constructor() {
    super();
    this.queue = [];
    this.offset = 0;
    this.quanta = 0;
    this.gap = 0;
    this.report = { playedFrames: 0, starvedFrames: 0, longestGap: 0 };
    this.port.onmessage = (event) => this.queue.push(event.data);
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1] || left;
    const report = this.report;
    for (let i = 0; i < left.length; i++) {
      const block = this.queue[0];
      if (!block) {
        left[i] = right[i] = 0;
        if (report.playedFrames > 0) {
          report.starvedFrames++;
          report.longestGap = Math.max(report.longestGap, ++this.gap);
        }
        continue;
      }
      this.gap = 0;
      const channels = block.channels;
      left[i] = block.samples[this.offset] / 32768;
      right[i] = block.samples[this.offset + channels - 1] / 32768;
      this.offset += channels;
      report.playedFrames++;
      if (this.offset >= block.samples.length) {
        this.queue.shift();
        this.offset = 0;
      }
    }
    if (++this.quanta % 8 === 0) this.port.postMessage(report);
    return true;
  }
}
registerProcessor('orbitra-feed', OrbitraFeed);
