# The handheld port's libraries: SDL 1.2, SDL_mixer, libmikmod, FreeType, libpng and zlib, built
# static from the pinned Debian sources by deps/build-libs.sh into ORBITRA_LIBS_PREFIX
# (platform.sh does both), with the image and text stand-ins, and SDL 1.2's memory video and
# audio drivers (platforms/sdl/) over the device's SDL2 (sdl/), the one library linked
# dynamically. The compilers see the port's build system, where SDL2's headers are installed.
# The drivers are objects of the program itself, so SDL 1.2's
# archive finds them wherever it comes on the link line; the SDL2 side builds apart, its SDL.h
# being SDL2's.
include(${CMAKE_CURRENT_LIST_DIR}/../lib/pinnedLibraries.cmake)
orbitra_pinned_libraries("${ORBITRA_LIBS_PREFIX}")
set(MEMORY_DRIVERS ${CMAKE_CURRENT_LIST_DIR}/../sdl)
add_library(orbitra_port_drivers OBJECT ${MEMORY_DRIVERS}/memvideo.c
  ${MEMORY_DRIVERS}/memaudio.c)
target_include_directories(orbitra_port_drivers PRIVATE ${ORBITRA_LIBS_PREFIX}/include/SDL-private)
add_library(orbitra_port_bridge OBJECT ${CMAKE_CURRENT_LIST_DIR}/sdl/bridge.c
  ${CMAKE_CURRENT_LIST_DIR}/sdl/scale.c)
target_include_directories(orbitra_port_bridge PRIVATE /usr/include/SDL2 ${MEMORY_DRIVERS})
target_compile_definitions(orbitra_port_bridge PRIVATE _REENTRANT)
target_link_libraries(orbitra_port_bridge PRIVATE orbitra_warnings INTERFACE SDL2 dl pthread)
target_link_libraries(orbitra_port_drivers PRIVATE orbitra_warnings
  PUBLIC orbitra_pinned_libraries)
# The programs export nothing: SDL 1.2's names, kept inside, would otherwise be exported to stand
# in for SDL2's own of the same names, which an SDL2 built without its dynamic API calls.
set_target_properties(orbitra_port_drivers orbitra_port_bridge PROPERTIES C_VISIBILITY_PRESET hidden)
add_link_options(LINKER:--exclude-libs,ALL)

# The intro on the port's drivers, and the port check's build of it with the clock held (as the
# Windows window check's).
add_executable(orbitra app/main.cpp)
target_link_libraries(orbitra PRIVATE orbitra_app orbitra_warnings orbitra_port_drivers
  orbitra_port_bridge)
add_executable(orbitra-held app/main.cpp tests/probe/heldClock.c)
target_link_libraries(orbitra-held PRIVATE orbitra_app orbitra_port_drivers orbitra_port_bridge orbitra_warnings)
target_link_options(orbitra-held PRIVATE -Wl,--wrap=SDL_GetTicks)
# The frame tool too, on the same drivers, for the frame checks under qemu; no tests or
# install rules: the port carries only the intro (platform.sh packs it).
add_subdirectory(tools)
target_link_libraries(orbitra-capture PRIVATE orbitra_port_drivers orbitra_port_bridge)
