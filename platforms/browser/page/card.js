// What the visitor sees and does around the intro: the canvas at the largest whole scale that
// fits, the title and end cards, the notices, full screen, and the input. On a card only a
// click, a tap, Enter or Space starts the intro; keys that move around the page (Tab, PageDown,
// Escape...) never do, so the licences can be opened, read and closed by keyboard. While the
// intro runs its keys go to the program.
'use strict';
(function (page) {
  const canvas = document.getElementById('screen');
  const card = document.getElementById('card');
  const caption = document.getElementById('caption');
  const message = document.getElementById('message');
  const notice = document.getElementById('notice');
  const licences = document.getElementById('licences');

  // What the browser test reads. phase: loading, ready, starting, running, ended or failed.
  const state = (page.state = window.orbitra = {
    phase: 'loading',
    readyMs: null,
    clickMs: null,
    introMs: null,
    firstFrameMs: null,
    runs: 0,
    frames: 0,
    status: null,
    failure: null,
    notice: null,
    audio: { started: false, startMs: null, pulledFrames: 0, playedFrames: 0, starvedFrames: 0,
             longestGap: 0, peak: 0, loudSamples: 0, sentFrames: 0, sentHash: 0 },
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

  function show(phase, text) {
    state.phase = phase;
    card.className = phase;
    message.textContent = text;
  }

  // Chromium and WebKit keep a page opened from a file from loading its neighbours.
  const fromDisk = 'This page cannot load the intro when opened from a file: the browser forbids ' +
                   'it. Serve the folder with a web server, or open orbitra.html, the ' +
                   'single-file page, instead.';

  // The first failure names the cause; what follows from it is not news.
  function fail(sentence) {
    if (state.phase === 'failed' || state.phase === 'ended') return;
    state.failure = sentence;
    page.sound.stop();
    show('failed', sentence);
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
  // A line at the foot of the picture; one that lasts stays until the next.
  function showNotice(text, lasts = false) {
    state.notice = text;
    notice.replaceChildren(Object.assign(document.createElement('span'), { textContent: text }));
    clearTimeout(noticeTimer);
    if (!lasts) noticeTimer = setTimeout(() => notice.replaceChildren(), 8000);
  }

  function setCaption(text) {
    caption.textContent = text;
    canvas.setAttribute('aria-label', text);
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

  const reading = () => licences !== null && location.hash === '#licences';

  // A card that starts the intro: the title card, and the end card to watch it again.
  const startsOnCard = () => state.phase === 'ready' || state.phase === 'ended';

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
    if (pressed && !event.repeat && event.key.toLowerCase() === 'f' && !reading() &&
        (state.phase === 'ready' || state.phase === 'running')) {
      toggleFullScreen();
    }
    if (startsOnCard() || reading()) {
      if (!pressed || event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
      if (reading()) {
        if (event.key === 'Escape') location.hash = '';
        return;
      }
      // Enter on a link follows the link.
      const onLink = event.target instanceof Element && event.target.closest('a');
      if (onLink || (event.key !== 'Enter' && event.key !== ' ')) return;
      event.preventDefault();  // Space would scroll
      page.start();
      return;
    }
    if (state.phase !== 'running') return;
    const code = keyCode(event);
    if (code !== 0) keys.push((pressed ? 1 << 16 : 0) | code);
  }
  addEventListener('keydown', (event) => onKey(event, true));
  addEventListener('keyup', (event) => onKey(event, false));
  card.addEventListener('click', (event) => {
    if (!event.target.closest('a') && startsOnCard()) page.start();
  });

  Object.assign(page, {
    canvas,
    fromDisk,
    card: { show, fail, showNotice, setCaption, nextKey: () => (keys.length ? keys.shift() : -1) },
  });
})((window.orbitraPage = window.orbitraPage || {}));
