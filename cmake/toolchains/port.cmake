# Shared by the port's toolchain files: Debian 11's cross compilers (GCC 10, glibc 2.31, the
# oldest C library the handhelds' firmwares carry) run inside the port's build system through
# the links in port/toolchain/, with the target's SDL2 installed there through multiarch. The
# including file sets ORBITRA_TRIPLET first. tools/portmaster.sh sets it all up.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_LIBRARY_ARCHITECTURE ${ORBITRA_TRIPLET})
set(ORBITRA_PORT ON)
set(tools ${CMAKE_CURRENT_LIST_DIR}/../../port/toolchain/${ORBITRA_TRIPLET})
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
