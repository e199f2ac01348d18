/* The browser's backend of SDL 1.2's memory drivers (platforms/sdl/): the page draws each
   screen on its canvas and queues the key presses. Without threads the page pulls the sound:
   while less than its queue's worth (a second and a half) waits ahead of the Web Audio output,
   it asks for one buffer at a time and sends it on to the output's worklet. Nothing is pulled
   before that output runs, so the music waits at its start until then. */
#include <emscripten.h>
#include <stdlib.h>

#include "backend.h"

const char backend_name[] = "browser";
const char backend_video_about[] = "the page's canvas";
const char backend_audio_about[] = "Web Audio, pulled by the page";

/* The page draws the screen: 16-bit pixels at ptr, w x h, rows pitch bytes apart. */
EM_JS(void, browser_present, (const void* pixels, int w, int h, int pitch, int bpp),
      { Module.orbitraPresent(pixels, w, h, pitch, bpp); });

/* The oldest key change the page has queued: (pressed << 16 | key), or -1 when none. */
EM_JS(int, browser_next_key, (void), { return Module.orbitraNextKey(); });

EM_JS(void, browser_audio_open, (int rate, int channels, int frames),
      { Module.orbitraAudioOpen(rate, channels, frames); });
EM_JS(void, browser_audio_close, (void), { Module.orbitraAudioClose(); });

static const char* failure = "";

const char* backend_error(void) {
  return failure;
}

/* The canvas takes any screen. */
int backend_video_open(int width, int height, int bpp) {
  (void)width, (void)height, (void)bpp;
  return 0;
}

void backend_video_present(const void* pixels, int width, int height, int pitch, int bpp) {
  browser_present(pixels, width, height, pitch, bpp);
}

void backend_video_close(void) {}

/* The page asks the program for the caption (orbitra_caption, main.cpp). */
void backend_video_caption(const char* title) {
  (void)title;
}

/* The page queues key changes only, never a request to quit. */
int backend_next_event(int* pressed, int* key) {
  const int change = browser_next_key();
  if (change < 0) return 0;
  *pressed = (change >> 16) != 0;
  *key = change & 0xFFFF;
  return 1;
}

static struct {
  void* device;
  unsigned char* buffer;
  int bytes;
  int frames;
} sound;

int backend_audio_open(int rate, int channels, int samples, void* device) {
  sound.bytes = channels * 2 * samples;
  sound.buffer = malloc(sound.bytes);
  if (sound.buffer == NULL) {
    failure = "Out of memory";
    return -1;
  }
  sound.device = device;
  sound.frames = samples;
  browser_audio_open(rate, channels, samples);
  return 0;
}

void backend_audio_close(void) {
  browser_audio_close();
  free(sound.buffer);
  sound.device = NULL;
  sound.buffer = NULL;
}

/* Nothing to lock: the page pulls between frames, never during one. */
void backend_audio_lock(void) {}
void backend_audio_unlock(void) {}

/* One buffer of signed 16-bit samples, interleaved, in the format the page was told at open;
   NULL when no device is open. */
EMSCRIPTEN_KEEPALIVE unsigned char* orbitra_audio_pull(void) {
  if (sound.device == NULL) return NULL;
  memaudio_fill(sound.device, sound.buffer, sound.bytes);
  return sound.buffer;
}

/* Sample frames in each buffer the pull hands out; 0 when no device is open. */
EMSCRIPTEN_KEEPALIVE int orbitra_audio_pull_frames(void) {
  return sound.device == NULL ? 0 : sound.frames;
}
