/* The browser's audio driver for SDL 1.2. Without threads the page pulls the sound: while less
   than its queue's worth (a second and a half) waits ahead of the Web Audio output, it asks
   for one buffer at a time, which the library's callback fills exactly as its own audio thread
   would (conversion included), and sends it on to the output's worklet. Nothing is pulled
   before that output runs, so the music waits at its start until then. It takes the dummy
   driver's slot in the library's driver list. */
#include <emscripten.h>

#include "SDL_audio.h"
#include "SDL_config.h"
#include "audio/SDL_audio_c.h"
#include "audio/SDL_sysaudio.h"

#define _THIS SDL_AudioDevice* this

struct SDL_PrivateAudioData {
  Uint8* buffer;
};

static SDL_AudioDevice* opened = NULL;

EM_JS(void, browser_audio_open, (int rate, int channels, int frames),
      { Module.orbitraAudioOpen(rate, channels, frames); });
EM_JS(void, browser_audio_close, (void), { Module.orbitraAudioClose(); });

/* One buffer of signed 16-bit samples, interleaved, in the format the page was told at open;
   NULL when no device is open. */
EMSCRIPTEN_KEEPALIVE Uint8* orbitra_audio_pull(void) {
  SDL_AudioDevice* audio = opened;
  if (audio == NULL) return NULL;
  Uint8* out = audio->hidden->buffer;
  if (!audio->enabled || audio->paused) {
    SDL_memset(out, audio->spec.silence, audio->spec.size);
    return out;
  }
  if (audio->convert.needed) {
    audio->spec.callback(audio->spec.userdata, audio->convert.buf, audio->convert.len);
    SDL_ConvertAudio(&audio->convert);
    SDL_memcpy(out, audio->convert.buf, audio->convert.len_cvt);
  } else {
    audio->spec.callback(audio->spec.userdata, out, audio->spec.size);
  }
  return out;
}

/* Sample frames in each buffer the pull hands out; 0 when no device is open. */
EMSCRIPTEN_KEEPALIVE int orbitra_audio_pull_frames(void) {
  SDL_AudioDevice* audio = opened;
  return audio == NULL ? 0 : (int)(audio->spec.size / (2 * audio->spec.channels));
}

static int WEB_OpenAudio(_THIS, SDL_AudioSpec* spec) {
  /* Web Audio resamples any rate; the page takes 16-bit samples, mono or stereo. */
  spec->format = AUDIO_S16LSB;
  if (spec->channels > 2) spec->channels = 2;
  SDL_CalculateAudioSpec(spec);
  this->hidden->buffer = SDL_malloc(spec->size);
  if (this->hidden->buffer == NULL) {
    SDL_OutOfMemory();
    return -1;
  }
  opened = this;
  browser_audio_open(spec->freq, spec->channels, spec->samples);
  return 1; /* no audio thread: the page pulls */
}

static void WEB_CloseAudio(_THIS) {
  browser_audio_close();
  opened = NULL;
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = NULL;
}

/* Nothing to lock: the page pulls between frames, never during one. */
static void WEB_LockAudio(_THIS) {
  (void)this;
}
static void WEB_UnlockAudio(_THIS) {
  (void)this;
}

static int WEB_Available(void) {
  return 1;
}

static void WEB_DeleteDevice(SDL_AudioDevice* device) {
  SDL_free(device->hidden);
  SDL_free(device);
}

static SDL_AudioDevice* WEB_CreateDevice(int index) {
  (void)index;
  SDL_AudioDevice* device = SDL_calloc(1, sizeof *device);
  if (device != NULL) device->hidden = SDL_calloc(1, sizeof *device->hidden);
  if (device == NULL || device->hidden == NULL) {
    SDL_OutOfMemory();
    SDL_free(device);
    return NULL;
  }
  device->OpenAudio = WEB_OpenAudio;
  device->CloseAudio = WEB_CloseAudio;
  device->LockAudio = WEB_LockAudio;
  device->UnlockAudio = WEB_UnlockAudio;
  device->free = WEB_DeleteDevice;
  return device;
}

AudioBootStrap DUMMYAUD_bootstrap = {"browser", "Web Audio, pulled by the page", WEB_Available,
                                     WEB_CreateDevice};
