# The Windows build's libraries: SDL 1.2, SDL_mixer, libmikmod, FreeType, libpng and zlib, built
# static from the pinned Debian sources by deps/build-libs.sh into ORBITRA_LIBS_PREFIX
# (tools/windows.sh does both), under the names the other builds get from pkg-config and
# FindPNG; the image and text stand-ins (web/compat/) take the place of SDL_image and SDL_ttf.
if(NOT ORBITRA_LIBS_PREFIX)
  message(FATAL_ERROR "set ORBITRA_LIBS_PREFIX to the prefix deps/build-libs.sh windows filled")
endif()
set(libs ${ORBITRA_LIBS_PREFIX})

set(ZLIB_LIBRARY ${libs}/lib/libz.a CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR ${libs}/include CACHE PATH "")
set(PNG_LIBRARY ${libs}/lib/libpng16.a CACHE FILEPATH "")
set(PNG_PNG_INCLUDE_DIR ${libs}/include CACHE PATH "")
find_package(PNG REQUIRED)

add_library(PkgConfig::MIKMOD INTERFACE IMPORTED)
target_include_directories(PkgConfig::MIKMOD INTERFACE ${libs}/include)
target_link_libraries(PkgConfig::MIKMOD INTERFACE ${libs}/lib/libmikmod.a)
target_compile_definitions(PkgConfig::MIKMOD INTERFACE MIKMOD_STATIC)

add_library(orbitra_windows_libraries STATIC web/compat/image.cpp web/compat/ttf.cpp)
target_include_directories(orbitra_windows_libraries PUBLIC ${CMAKE_SOURCE_DIR}/web/compat/include
  ${libs}/include/SDL ${libs}/include ${libs}/include/freetype2)
target_link_libraries(orbitra_windows_libraries PUBLIC ${libs}/lib/libSDL_mixer.a
  PkgConfig::MIKMOD ${libs}/lib/libSDL.a ${libs}/lib/libfreetype.a PNG::PNG
  # What the library's GDI video, DirectSound audio, multimedia joystick and clock use.
  winmm gdi32 user32 dxguid ole32 imm32 version)
add_library(PkgConfig::SDL12 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL12 INTERFACE orbitra_windows_libraries)
