# The handheld port for 32-bit ARM with hardware floating point: cmake --preset port-armhf
# (tools/portmaster.sh build).
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ORBITRA_TRIPLET arm-linux-gnueabihf)
include(${CMAKE_CURRENT_LIST_DIR}/port.cmake)
