# 32-bit ARM Linux with hardware floating point (Debian armhf: ARMv7, VFPv3-D16, Thumb-2).
# Usage: cmake -DCMAKE_TOOLCHAIN_FILE=<this file> -DORBITRA_DEV_ROOT=<unpacked SDL -dev
# packages>; tools/cross.sh armhf does it all.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ORBITRA_TRIPLET arm-linux-gnueabihf)
set(ORBITRA_QEMU qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
# GCC notes that 7.1 changed how some arguments are passed on this ABI; that matters only when
# linking objects built by older compilers, which nothing here does.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
