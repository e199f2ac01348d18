# The Linux desktop, and ARM Linux through the arm presets' toolchain (platforms/arm/): the
# system's SDL 1.2 and companions, found by pkg-config; the intro, its tools and tests, the
# stand-ins' proof, and the install rules and Debian package (install/).
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

# Where an installed intro lives: a launcher for each program as a game, the programs
# themselves in a folder of their own, their files beside the other games'.
set(ORBITRA_INSTALL_BINDIR games)
set(ORBITRA_INSTALL_PROGRAMDIR lib/games/orbitra)
set(ORBITRA_INSTALL_DATADIR share/games/orbitra)
file(RELATIVE_PATH ORBITRA_DATA_FROM_BIN /${ORBITRA_INSTALL_PROGRAMDIR} /${ORBITRA_INSTALL_DATADIR})

add_executable(orbitra app/main.cpp)
target_link_libraries(orbitra PRIVATE orbitra_app orbitra_warnings)
add_subdirectory(tools)
add_subdirectory(tools/bench)
include(CTest)
if(BUILD_TESTING)
  add_subdirectory(tests)
endif()
add_subdirectory(standins)
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/install ${PROJECT_BINARY_DIR}/dist)
