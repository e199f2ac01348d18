# The browser's back ends of SDL 1.2 (included by deps/CMakeLists.txt, S the library's src/):
# generic threads, the Unix clock; video and audio come from the memory drivers over the page
# (platforms/sdl/, sdl/page.c), linked with the program.
target_sources(SDL PRIVATE ${S}/thread/generic/SDL_syscond.c
  ${S}/joystick/dummy/SDL_sysjoystick.c ${S}/loadso/dummy/SDL_sysloadso.c
  ${S}/thread/generic/SDL_sysmutex.c ${S}/thread/generic/SDL_syssem.c
  ${S}/thread/generic/SDL_systhread.c ${S}/timer/unix/SDL_systimer.c)
set(ORBITRA_SDL_OWN_DRIVERS ON)
# The configuration the memory drivers of platforms/sdl/ are built for.
set(ORBITRA_SDL_OWN_HEADERS ${CMAKE_CURRENT_LIST_DIR}/../../sdl/SDL_config.h)
