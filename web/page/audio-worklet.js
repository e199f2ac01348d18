// Plays the intro's sound as the page sends it: blocks of interleaved signed 16-bit samples,
// queued in order. When the queue runs dry it plays silence. Every few blocks it tells the
// page how many sample frames it has played, so the page keeps the queue filled.
class OrbitraFeed extends AudioWorkletProcessor {
  constructor() {
    super();
    this.queue = [];
    this.offset = 0;
    this.played = 0;
    this.quanta = 0;
    this.port.onmessage = (event) => this.queue.push(event.data);
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1] || left;
    for (let i = 0; i < left.length; i++) {
      const block = this.queue[0];
      if (!block) {
        left[i] = right[i] = 0;
        continue;
      }
      const channels = block.channels;
      left[i] = block.samples[this.offset] / 32768;
      right[i] = block.samples[this.offset + channels - 1] / 32768;
      this.offset += channels;
      this.played++;
      if (this.offset >= block.samples.length) {
        this.queue.shift();
        this.offset = 0;
      }
    }
    if (++this.quanta % 8 === 0) this.port.postMessage(this.played);
    return true;
  }
}
registerProcessor('orbitra-feed', OrbitraFeed);
