# The handheld port: Debian 11's cross compilers (GCC 10, glibc 2.31, the oldest C library the
# handhelds' firmwares carry) run inside the port's build system through the links in
# toolchain/, with the target's SDL2 installed there through multiarch. ORBITRA_ARCH names the
# architecture (platforms/lib/arches.txt), as the port-arm64 and port-armhf presets set it;
# platforms/portmaster/platform.sh sets it all up.
include(${CMAKE_CURRENT_LIST_DIR}/../lib/arch.cmake)
set(tools ${CMAKE_CURRENT_LIST_DIR}/toolchain/${ORBITRA_TRIPLET})
set(CMAKE_C_COMPILER ${tools}-gcc)
set(CMAKE_CXX_COMPILER ${tools}-g++)
set(CMAKE_AR ${tools}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${tools}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${tools}-strip CACHE FILEPATH "")
# The build system's own headers and libraries are what the compilers see; nothing of this
# machine's may be found by CMake.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH /nonexistent)
