# Windows' back ends of SDL 1.2 (included by deps/CMakeLists.txt, S the library's src/): the
# GDI video driver, scaled by sdl-window-scaling.patch, DirectSound, the multimedia joystick,
# Windows' threads and clock; and this folder's SDL_main.h in place of the package's.
target_sources(SDL PRIVATE ${S}/thread/generic/SDL_syscond.c
  ${S}/joystick/win32/SDL_mmjoystick.c ${S}/loadso/win32/SDL_sysloadso.c
  ${S}/thread/win32/SDL_sysmutex.c ${S}/thread/win32/SDL_syssem.c
  ${S}/thread/win32/SDL_systhread.c ${S}/timer/win32/SDL_systimer.c
  ${S}/audio/dummy/SDL_dummyaudio.c ${S}/audio/windx5/SDL_dx5audio.c
  ${S}/video/dummy/SDL_nullevents.c ${S}/video/dummy/SDL_nullmouse.c
  ${S}/video/dummy/SDL_nullvideo.c
  ${S}/video/wincommon/SDL_sysevents.c ${S}/video/wincommon/SDL_sysmouse.c
  ${S}/video/wincommon/SDL_syswm.c ${S}/video/wincommon/SDL_wingl.c
  ${S}/video/windib/SDL_dibevents.c ${S}/video/windib/SDL_dibvideo.c)
list(APPEND ORBITRA_SDL_OWN_HEADERS ${CMAKE_CURRENT_LIST_DIR}/SDL_main.h)
