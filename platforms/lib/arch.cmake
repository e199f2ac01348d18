# Included by the toolchain files of ARM targets: ORBITRA_ARCH (arm64, armhf; a preset sets it)
# gives CMAKE_SYSTEM_PROCESSOR, ORBITRA_TRIPLET and ORBITRA_QEMU from arches.txt.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/arches.txt row REGEX "^${ORBITRA_ARCH} ")
if(NOT ORBITRA_ARCH OR NOT row)
  message(FATAL_ERROR "ORBITRA_ARCH '${ORBITRA_ARCH}' is not in ${CMAKE_CURRENT_LIST_DIR}/arches.txt")
endif()
string(REPLACE " " ";" row "${row}")
list(GET row 1 ORBITRA_TRIPLET)
list(GET row 2 CMAKE_SYSTEM_PROCESSOR)
set(ORBITRA_QEMU qemu-${CMAKE_SYSTEM_PROCESSOR}-static)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_LIBRARY_ARCHITECTURE ${ORBITRA_TRIPLET})
# The checks CMake compiles read this file again: they get the architecture too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORBITRA_ARCH)
