# The handheld port's libraries: SDL 1.2, SDL_mixer, libmikmod, FreeType, libpng and zlib, built
# static from the pinned Debian sources by deps/build-libs.sh into ORBITRA_LIBS_PREFIX
# (tools/portmaster.sh does both), with the image and text stand-ins, and SDL 1.2's memory video
# and audio drivers (platforms/sdl/) over the device's SDL2 (port/sdl/), the one library linked
# dynamically. The compilers see the port's build system, where SDL2's headers are installed.
# The drivers are objects of the program itself, so SDL 1.2's
# archive finds them wherever it comes on the link line; the SDL2 side builds apart, its SDL.h
# being SDL2's.
include(${CMAKE_CURRENT_LIST_DIR}/pinnedLibraries.cmake)
orbitra_pinned_libraries("${ORBITRA_LIBS_PREFIX}")
set(MEMORY_DRIVERS ${PROJECT_SOURCE_DIR}/platforms/sdl)
add_library(orbitra_port_drivers OBJECT ${MEMORY_DRIVERS}/memvideo.c
  ${MEMORY_DRIVERS}/memaudio.c)
target_include_directories(orbitra_port_drivers PRIVATE ${ORBITRA_LIBS_PREFIX}/include/SDL-private)
add_library(orbitra_port_bridge OBJECT ${PROJECT_SOURCE_DIR}/port/sdl/bridge.c
  ${PROJECT_SOURCE_DIR}/port/sdl/scale.c)
target_include_directories(orbitra_port_bridge PRIVATE /usr/include/SDL2 ${MEMORY_DRIVERS})
target_compile_definitions(orbitra_port_bridge PRIVATE _REENTRANT)
target_link_libraries(orbitra_port_bridge PRIVATE orbitra_warnings INTERFACE SDL2 dl pthread)
target_link_libraries(orbitra_port_drivers PRIVATE orbitra_warnings
  PUBLIC orbitra_pinned_libraries)
