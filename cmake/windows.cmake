# The Windows build's libraries: SDL 1.2, SDL_mixer, libmikmod, FreeType, libpng and zlib, built
# static from the pinned Debian sources by deps/build-libs.sh into ORBITRA_LIBS_PREFIX
# (tools/windows.sh does both), with the image and text stand-ins; the module player and libpng
# also under the names the capture tool finds them by elsewhere (pkg-config, FindPNG).
include(${CMAKE_CURRENT_LIST_DIR}/pinnedLibraries.cmake)
orbitra_pinned_libraries("${ORBITRA_LIBS_PREFIX}")
# What the library's GDI video, DirectSound audio, multimedia joystick and clock use.
target_link_libraries(orbitra_pinned_libraries INTERFACE winmm gdi32 user32 dxguid ole32 imm32
  version)

set(ZLIB_LIBRARY ${ORBITRA_LIBS_PREFIX}/lib/libz.a CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR ${ORBITRA_LIBS_PREFIX}/include CACHE PATH "")
set(PNG_LIBRARY ${ORBITRA_LIBS_PREFIX}/lib/libpng16.a CACHE FILEPATH "")
set(PNG_PNG_INCLUDE_DIR ${ORBITRA_LIBS_PREFIX}/include CACHE PATH "")
add_library(PkgConfig::MIKMOD INTERFACE IMPORTED)
target_link_libraries(PkgConfig::MIKMOD INTERFACE orbitra_pinned_libraries)
