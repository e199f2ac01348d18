# The libraries the browser, Windows and handheld builds compile from the pinned Debian source packages
# (deps/build-libs.sh) into a prefix, with the image and text stand-ins (standins/) in front
# of them in place of SDL_image and SDL_ttf, which Debian's registry cannot give as source.
#   orbitra_pinned_libraries(<prefix>) defines orbitra_pinned_libraries (the headers, the real
#   SDL ones in front of any the compiler has, and the archives) and orbitra_standins (the
#   stand-ins over them), links orbitra_sdl, which every layer uses, to the stand-ins, and
#   gives zlib, libpng and the module player to the capture tool.
function(orbitra_pinned_libraries prefix)
  if(NOT prefix OR NOT EXISTS ${prefix}/lib/libSDL.a)
    message(FATAL_ERROR "no libraries of deps/build-libs.sh in '${prefix}' (the platform's "
                        "platform.sh builds them)")
  endif()
  add_library(orbitra_pinned_libraries INTERFACE)
  target_include_directories(orbitra_pinned_libraries INTERFACE
    ${PROJECT_SOURCE_DIR}/standins/include ${prefix}/include/SDL ${prefix}/include
    ${prefix}/include/freetype2)
  target_link_libraries(orbitra_pinned_libraries INTERFACE ${prefix}/lib/libSDL_mixer.a
    ${prefix}/lib/libmikmod.a ${prefix}/lib/libSDL.a ${prefix}/lib/libfreetype.a
    ${prefix}/lib/libpng16.a ${prefix}/lib/libz.a)
  # The module player's header declares its functions for a DLL unless told it is static.
  target_compile_definitions(orbitra_pinned_libraries INTERFACE MIKMOD_STATIC)
  add_library(orbitra_standins STATIC ${PROJECT_SOURCE_DIR}/standins/image.cpp
    ${PROJECT_SOURCE_DIR}/standins/ttf.cpp)
  target_link_libraries(orbitra_standins PUBLIC orbitra_pinned_libraries
    PRIVATE orbitra_warnings)
  target_link_libraries(orbitra_sdl INTERFACE orbitra_standins)
  # The module player and libpng also under the names the capture tool finds them by elsewhere
  # (pkg-config, FindPNG).
  set(ZLIB_LIBRARY ${prefix}/lib/libz.a CACHE FILEPATH "")
  set(ZLIB_INCLUDE_DIR ${prefix}/include CACHE PATH "")
  set(PNG_LIBRARY ${prefix}/lib/libpng16.a CACHE FILEPATH "")
  set(PNG_PNG_INCLUDE_DIR ${prefix}/include CACHE PATH "")
  add_library(PkgConfig::MIKMOD INTERFACE IMPORTED)
  target_link_libraries(PkgConfig::MIKMOD INTERFACE orbitra_pinned_libraries)
endfunction()
