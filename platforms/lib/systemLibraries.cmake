# The system's SDL 1.2 and companions, found by pkg-config, for the platforms built on them
# (linux, and saver's X11 hack).
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL12 REQUIRED IMPORTED_TARGET sdl SDL_image SDL_mixer SDL_ttf)
target_link_libraries(orbitra_sdl INTERFACE PkgConfig::SDL12)

# Debian's SDL 1.2 compatibility library over SDL 2 (scaled windows, Wayland, today's sound
# servers) installs beside the classic library. Programs get a run path to it when it is
# there, so it serves them and the companion libraries; LD_LIBRARY_PATH pointing at the
# classic library's directory still brings that one back.
option(ORBITRA_SDL12_COMPAT "Run programs on the SDL 1.2 compatibility library when installed" ON)
set(ORBITRA_COMPAT_DIR "")
if(ORBITRA_SDL12_COMPAT AND CMAKE_LIBRARY_ARCHITECTURE)
  set(candidate /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/sdl12-compat)
  if(EXISTS ${candidate}/libSDL-1.2.so.0)
    set(ORBITRA_COMPAT_DIR ${candidate})
  endif()
endif()
# Every program of the project (the intro, its tools and tests) gets the run path in the build
# tree; as a RUNPATH it yields to LD_LIBRARY_PATH. Nothing of the project is a shared library,
# so the build tree uses the run path as it is (no empty entry, which would mean the working
# directory). Installed programs lose it: a launcher makes the same choice for them (install/).
if(ORBITRA_COMPAT_DIR)
  set(CMAKE_INSTALL_RPATH ${ORBITRA_COMPAT_DIR})
  set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
  add_link_options(-Wl,--enable-new-dtags)
endif()
message(STATUS "SDL 1.2 compatibility library: ${ORBITRA_COMPAT_DIR}")
