/* SDL 1.2's audio driver for the builds whose library has none of its own (the browser, the
   handheld port): the library runs no audio thread; the platform's output pulls each buffer
   (backend.h), which the library's callback fills exactly as its own audio thread would
   (conversion included). The library's audio lock is the backend's. It takes the dummy
   driver's slot in the library's driver list. */
#include "SDL_audio.h"
#include "audio/SDL_audio_c.h"
#include "audio/SDL_sysaudio.h"
#include "backend.h"

#define _THIS SDL_AudioDevice* this

void memaudio_fill(void* device, unsigned char* out, int bytes) {
  SDL_AudioDevice* audio = device;
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

static int MEM_OpenAudio(_THIS, SDL_AudioSpec* spec) {
  /* The backends convert any rate for their output; they are handed 16-bit samples, mono or
     stereo. */
  spec->format = AUDIO_S16SYS;
  if (spec->channels > 2) spec->channels = 2;
  SDL_CalculateAudioSpec(spec);
  if (backend_audio_open(spec->freq, spec->channels, spec->samples, this) != 0) {
    SDL_SetError("%s", backend_error());
    return -1;
  }
  return 1; /* no audio thread of the library's own: the backend's output pulls */
}

static void MEM_CloseAudio(_THIS) {
  (void)this;
  backend_audio_close();
}

static void MEM_LockAudio(_THIS) {
  (void)this;
  backend_audio_lock();
}
static void MEM_UnlockAudio(_THIS) {
  (void)this;
  backend_audio_unlock();
}

static int MEM_Available(void) {
  return 1;
}

static void MEM_DeleteDevice(SDL_AudioDevice* device) {
  SDL_free(device);
}

static SDL_AudioDevice* MEM_CreateDevice(int index) {
  (void)index;
  SDL_AudioDevice* device = SDL_calloc(1, sizeof *device);
  if (device == NULL) {
    SDL_OutOfMemory();
    return NULL;
  }
  device->OpenAudio = MEM_OpenAudio;
  device->CloseAudio = MEM_CloseAudio;
  device->LockAudio = MEM_LockAudio;
  device->UnlockAudio = MEM_UnlockAudio;
  device->free = MEM_DeleteDevice;
  return device;
}

AudioBootStrap DUMMYAUD_bootstrap = {backend_name, backend_audio_about, MEM_Available,
                                     MEM_CreateDevice};
