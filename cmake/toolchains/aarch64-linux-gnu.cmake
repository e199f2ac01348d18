# 64-bit ARM Linux (Debian arm64). Usage: cmake -DCMAKE_TOOLCHAIN_FILE=<this file>
# -DORBITRA_DEV_ROOT=<unpacked SDL -dev packages>; tools/cross.sh arm64 does it all.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ORBITRA_TRIPLET aarch64-linux-gnu)
set(ORBITRA_QEMU qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
