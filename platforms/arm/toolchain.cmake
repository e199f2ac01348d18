# ARM Linux with Debian's cross compilers (arm64; armhf: ARMv7, VFPv3-D16, Thumb-2), the
# target's run-time libraries installed side by side through multiarch, and qemu-user to run
# what is built. ORBITRA_ARCH names the architecture (platforms/lib/arches.txt), as the arm64 and
# armhf presets set it; platforms/arm/platform.sh does it all.
include(${CMAKE_CURRENT_LIST_DIR}/../lib/arch.cmake)
set(CMAKE_C_COMPILER ${ORBITRA_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ORBITRA_TRIPLET}-g++)
if(ORBITRA_ARCH STREQUAL armhf)
  # GCC notes that 7.1 changed how some arguments are passed on this ABI; that matters only when
  # linking objects built by older compilers, which nothing here does.
  set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
endif()

# CTest and test discovery run target programs through the emulator. No -L: the cross
# toolchain's loader paired with the multiarch C library hangs in the first thread creation,
# while the multiarch loader found at its usual path works.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ORBITRA_QEMU})
# No run path into the unpacked packages below: the target's run-time libraries are installed
# where its loader looks, and that path, cleared but not shortened on install, would make the
# packaged programs differ with the folder they were built in.
set(CMAKE_SKIP_BUILD_RPATH ON)

# The target's SDL development packages cannot be installed beside the build machine's own
# (apt would remove those), so platforms/arm/platform.sh unpacks them into a folder of the
# build, and pkg-config looks there and nowhere else.
set(ORBITRA_DEV_ROOT "" CACHE PATH "Folder the target's SDL -dev packages are unpacked into")
if(ORBITRA_DEV_ROOT)
  set(ENV{PKG_CONFIG_LIBDIR} "${ORBITRA_DEV_ROOT}/usr/lib/${ORBITRA_TRIPLET}/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "${ORBITRA_DEV_ROOT}")
endif()

# Build tools come from the build machine; libraries, headers and packages from the target.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
