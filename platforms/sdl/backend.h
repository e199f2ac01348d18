/* What a platform supplies to SDL 1.2's memory drivers (memvideo.c, memaudio.c), which keep the
   screen in memory and leave showing it, the keys and the sound to the platform: the browser's
   page (platforms/browser/sdl/) or the device's SDL2 (platforms/portmaster/sdl/). Plain C with
   no SDL types, so that a backend written over another library's headers can supply it. */
#ifndef ORBITRA_SDL_BACKEND_H
#define ORBITRA_SDL_BACKEND_H

#ifdef __cplusplus
extern "C" {
#endif

/* The drivers' name in the library's lists, and what shows the picture and plays the sound. */
extern const char backend_name[];
extern const char backend_video_about[];
extern const char backend_audio_about[];

/* Readies the display for a width x height screen of bpp-bit pixels, at every video mode set.
   Returns 0, or -1 with backend_error() saying why. */
int backend_video_open(int width, int height, int bpp);
/* Shows the whole screen: rows of width pixels, pitch bytes apart. */
void backend_video_present(const void* pixels, int width, int height, int pitch, int bpp);
void backend_video_close(void);
/* The window's title, now or when it opens. */
void backend_video_caption(const char* title);

/* The oldest key or quit event queued: 1 with *pressed (1 pressed, 0 released) and *key (the
   SDL 1.2 key number, or -1 for a request to quit), 0 when none. */
int backend_next_event(int* pressed, int* key);

/* Opens the sound output for signed 16-bit samples in the native byte order, rate frames a
   second, channels 1 or 2, which from then on takes its sound in buffers of samples frames
   filled by memaudio_fill(device, ...). Returns 0, or -1 with backend_error() saying why. */
int backend_audio_open(int rate, int channels, int samples, void* device);
/* Keeps memaudio_fill from running until backend_audio_unlock. */
void backend_audio_lock(void);
void backend_audio_unlock(void);
void backend_audio_close(void);

const char* backend_error(void);

/* Supplied by memaudio.c: fills buffer with bytes (exactly channels * 2 * samples as opened)
   of the library's sound for device, as its own audio thread would, conversion included. */
void memaudio_fill(void* device, unsigned char* buffer, int bytes);

#ifdef __cplusplus
}
#endif

#endif
