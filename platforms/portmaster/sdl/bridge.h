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

#ifdef __cplusplus
}
#endif

#endif
