/* The device's SDL2 as the port's SDL 1.2 drivers use it, behind a plain C interface: the two
   libraries' headers name the same types and functions, so no file includes both. */
#ifndef ORBITRA_PORT_BRIDGE_H
#define ORBITRA_PORT_BRIDGE_H

#ifdef __cplusplus
extern "C" {
#endif

/* The largest whole factor by which a width x height picture fits a display of displayWidth x
   displayHeight; at least 1. */
int port_scale_for(int displayWidth, int displayHeight, int width, int height);

/* Opens a full-screen window on the device's display for a width x height picture of 16-bit
   5-6-5 pixels (none on SDL2's dummy driver, where nothing is shown). Returns 0, or -1 with
   port_error() saying why. */
int port_video_open(int width, int height);
/* Shows the picture, scaled by port_scale_for, centred on black, nearest neighbour. */
void port_video_present(const void* pixels, int pitch);
void port_video_close(void);
/* The window's title, now or when it opens. */
void port_video_caption(const char* title);

/* The oldest key or quit event the device's library has queued: 1 with *pressed (1 pressed,
   0 released) and *key (the SDL 1.2 key number, or -1 for a request to quit), 0 when none.
   Keys without an SDL 1.2 number are passed over. */
int port_next_event(int* pressed, int* key);

/* Opens the device's audio output for signed 16-bit samples in the native byte order, pulled
   through pull(userdata, buffer, bytes) on the library's audio thread with exactly bytes =
   channels * 2 * samples. Returns 0, or -1 with port_error() saying why. */
int port_audio_open(int rate, int channels, int samples,
                    void (*pull)(void* userdata, unsigned char* buffer, int bytes), void* userdata);
/* Keeps pull from running until port_audio_unlock. */
void port_audio_lock(void);
void port_audio_unlock(void);
void port_audio_close(void);

const char* port_error(void);

#ifdef __cplusplus
}
#endif

#endif
