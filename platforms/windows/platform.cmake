# 64-bit Windows: SDL 1.2, SDL_mixer, libmikmod, FreeType, libpng and zlib, built static from
# the pinned Debian sources by deps/build-libs.sh into ORBITRA_LIBS_PREFIX (platform.sh does
# both), with the image and text stand-ins; the intro, its window check's build and the tools.
include(${CMAKE_CURRENT_LIST_DIR}/../lib/windowsLibraries.cmake)

# A windowed program: double-clicked, it opens no console beside its window.
add_executable(orbitra app/main.cpp ${ORBITRA_WINDOWS_RESOURCES})
target_link_libraries(orbitra PRIVATE orbitra_app orbitra_warnings)
set_target_properties(orbitra PROPERTIES WIN32_EXECUTABLE ON)
# The window check's build of it: the library's clock held at ORBITRA_HELD_TICK, wrapped in
# at link time (the Linux check preloads a probe instead).
add_executable(orbitra-held app/main.cpp ${ORBITRA_WINDOWS_RESOURCES} tests/probe/heldClock.c)
target_link_libraries(orbitra-held PRIVATE orbitra_app orbitra_warnings)
target_link_options(orbitra-held PRIVATE -Wl,--wrap=SDL_GetTicks)
set_target_properties(orbitra-held PROPERTIES WIN32_EXECUTABLE ON)
add_subdirectory(tools)
