/* The port's audio driver for SDL 1.2: the device's SDL2 audio thread pulls each buffer, which
   the library's callback fills exactly as its own audio thread would (conversion included).
   The library's audio lock is SDL2's device lock, so the intro's mixer calls never meet a
   buffer half filled. It takes the dummy driver's slot in the library's driver list. */
#include "SDL_audio.h"
#include "SDL_config.h"
#include "audio/SDL_audio_c.h"
#include "audio/SDL_sysaudio.h"
#include "bridge.h"

#define _THIS SDL_AudioDevice* this

struct SDL_PrivateAudioData {
  int unused;
};

static void PORT_Pull(void* userdata, unsigned char* out, int bytes) {
  SDL_AudioDevice* audio = userdata;
  if (!audio->enabled || audio->paused) {
    SDL_memset(out, audio->spec.silence, bytes);
    return;
  }
  if (audio->convert.needed) {
    audio->spec.callback(audio->spec.userdata, audio->convert.buf, audio->convert.len);
    SDL_ConvertAudio(&audio->convert);
    SDL_memcpy(out, audio->convert.buf, audio->convert.len_cvt);
  } else {
    audio->spec.callback(audio->spec.userdata, out, bytes);
  }
}

static int PORT_OpenAudio(_THIS, SDL_AudioSpec* spec) {
  /* SDL2 converts any rate and layout for the device; it is handed 16-bit samples. */
  spec->format = AUDIO_S16SYS;
  if (spec->channels > 2) spec->channels = 2;
  SDL_CalculateAudioSpec(spec);
  if (port_audio_open(spec->freq, spec->channels, spec->samples, PORT_Pull, this) != 0) {
    SDL_SetError("%s", port_error());
    return -1;
  }
  return 1; /* no audio thread of the library's own: SDL2's pulls */
}

static void PORT_CloseAudio(_THIS) {
  (void)this;
  port_audio_close();
}

static void PORT_LockAudio(_THIS) {
  (void)this;
  port_audio_lock();
}
static void PORT_UnlockAudio(_THIS) {
  (void)this;
  port_audio_unlock();
}

static int PORT_Available(void) {
  return 1;
}

static void PORT_DeleteDevice(SDL_AudioDevice* device) {
  SDL_free(device->hidden);
  SDL_free(device);
}

static SDL_AudioDevice* PORT_CreateDevice(int index) {
  (void)index;
  SDL_AudioDevice* device = SDL_calloc(1, sizeof *device);
  if (device != NULL) device->hidden = SDL_calloc(1, sizeof *device->hidden);
  if (device == NULL || device->hidden == NULL) {
    SDL_OutOfMemory();
    SDL_free(device);
    return NULL;
  }
  device->OpenAudio = PORT_OpenAudio;
  device->CloseAudio = PORT_CloseAudio;
  device->LockAudio = PORT_LockAudio;
  device->UnlockAudio = PORT_UnlockAudio;
  device->free = PORT_DeleteDevice;
  return device;
}

AudioBootStrap DUMMYAUD_bootstrap = {"sdl2", "the device's sound through SDL2", PORT_Available,
                                     PORT_CreateDevice};
