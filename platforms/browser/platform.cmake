# The browser build (the `web` preset, configured through emcmake; platform.sh does it all):
# the intro's layers built with Emscripten against the libraries deps/build-libs.sh made
# (ORBITRA_LIBS_PREFIX), this folder's entry and SDL drivers, and the site (page, program, packed
# files) in <build dir>/site. The packed files sit in res/ of the browser's file system root, the
# working directory, so the data directories the desktop looks in as fallbacks are never reached.
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "the browser build is configured through Emscripten: emcmake cmake --preset web")
endif()
set(SITE ${CMAKE_BINARY_DIR}/site)
# The libraries and the image and text stand-ins (platforms/lib/pinnedLibraries.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/../lib/pinnedLibraries.cmake)
orbitra_pinned_libraries("${ORBITRA_LIBS_PREFIX}")
target_compile_options(orbitra_pinned_libraries INTERFACE -O2)

# The memory video and audio drivers, built on the library's internals, over the page.
set(MEMORY_DRIVERS ${CMAKE_CURRENT_LIST_DIR}/../sdl)
add_library(orbitra_web_drivers STATIC ${MEMORY_DRIVERS}/memvideo.c ${MEMORY_DRIVERS}/memaudio.c
  ${CMAKE_CURRENT_LIST_DIR}/sdl/page.c)
target_include_directories(orbitra_web_drivers PRIVATE ${ORBITRA_LIBS_PREFIX}/include/SDL-private
  ${MEMORY_DRIVERS})
target_link_libraries(orbitra_web_drivers PRIVATE orbitra_warnings
  PUBLIC orbitra_pinned_libraries)

# The program: the intro's layers under the browser's entry, with the intro's files packed
# into res/ of its file system.
set(PRELOAD)
foreach(asset ${ORBITRA_ASSET_FILES})
  get_filename_component(name ${asset} NAME)
  list(APPEND PRELOAD "SHELL:--preload-file ${asset}@res/${name}")
endforeach()
add_executable(orbitra ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(orbitra PRIVATE orbitra_app orbitra_check orbitra_web_drivers orbitra_warnings)
set_target_properties(orbitra PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${SITE}
  LINK_DEPENDS "${ORBITRA_ASSET_FILES}")
target_link_options(orbitra PRIVATE -O2 -sUSE_SDL=0 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
  -sEXPORTED_FUNCTIONS=_main,_malloc,_free,_SDL_GetTicks
  -sEXPORTED_RUNTIME_METHODS=callMain,UTF8ToString,FS
  ${PRELOAD})

# The page and its scripts beside the program, and the font's licence beside the font.
foreach(file index.html card.js sound.js verify.js page.js audio-worklet.js)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/page/${file} ${SITE}/${file} COPYONLY)
endforeach()
configure_file(${ORBITRA_ASSET_LICENCE} ${SITE} COPYONLY)
# The golden lists, fetched only by the page's ?verify, so that watching does not pay for them.
foreach(list ${ORBITRA_GOLDEN_LISTS})
  get_filename_component(name ${list} NAME)
  configure_file(${list} ${SITE}/golden/${name} COPYONLY)
endforeach()
