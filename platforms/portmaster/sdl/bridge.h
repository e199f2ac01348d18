/* The port's display arithmetic, apart from SDL2 so that the native tests can check it. The
   rest of the SDL2 side (bridge.c) is the memory drivers' backend (platforms/sdl/backend.h). */
#ifndef ORBITRA_PORT_BRIDGE_H
#define ORBITRA_PORT_BRIDGE_H

#ifdef __cplusplus
extern "C" {
#endif

/* The largest whole factor by which a width x height picture fits a display of displayWidth x
   displayHeight; at least 1. */
int port_scale_for(int displayWidth, int displayHeight, int width, int height);

/* Where the picture goes on the display, centred: at x, y, width x height, drawn first at a
   whole factor (nearest neighbour) and, for sharp fill, reduced from there smoothly. */
struct port_place {
  int x, y, width, height, factor;
};

/* 1 when sharp fill is the better start: the whole factor's picture does not fit the display,
   or is less than four fifths as wide as the largest picture of the same shape that fits
   (480x320: 1x, 320 of 426 pixels). 640x480, 720x720, 1280x720 and 1024x600 stay whole. */
int port_fill_suits(int displayWidth, int displayHeight, int width, int height);

/* The place for a width x height picture on the display: the largest whole factor that fits
   (at least 1), or with fill the largest picture of the same shape, drawn first at the
   smallest whole factor that covers it. */
struct port_place port_place_for(int displayWidth, int displayHeight, int width, int height,
                                 int fill);

/* A 16-bit picture of width x height (rows pitch bytes apart) enlarged by a whole factor into
   out (rows outPitch bytes apart): every pixel a factor x factor square of its colour; nothing
   past each enlarged row is written. */
void port_enlarge(const void* pixels, int pitch, int width, int height, int factor, void* out,
                  int outPitch);

#ifdef __cplusplus
}
#endif

#endif
