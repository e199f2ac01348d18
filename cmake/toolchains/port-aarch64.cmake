# The handheld port for 64-bit ARM: cmake --preset port-arm64 (tools/portmaster.sh build).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ORBITRA_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/port.cmake)
