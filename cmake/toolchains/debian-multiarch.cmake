# Shared by the ARM toolchain files: Debian's cross compilers, the target's run-time
# libraries installed side by side through multiarch, and qemu-user to run what is built.
# The including file sets ORBITRA_TRIPLET and ORBITRA_QEMU before including this one.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_LIBRARY_ARCHITECTURE ${ORBITRA_TRIPLET})
set(CMAKE_C_COMPILER ${ORBITRA_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ORBITRA_TRIPLET}-g++)

# CTest and test discovery run target programs through the emulator. No -L: the cross
# toolchain's loader paired with the multiarch C library hangs in the first thread creation,
# while the multiarch loader found at its usual path works.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ORBITRA_QEMU})
# No run path into the unpacked packages below: the target's run-time libraries are installed
# where its loader looks, and that path, cleared but not shortened on install, would make the
# packaged programs differ with the folder they were built in.
set(CMAKE_SKIP_BUILD_RPATH ON)

# The target's SDL development packages cannot be installed beside the build machine's own
# (apt would remove those), so tools/cross.sh unpacks them into a folder of the build, and
# pkg-config looks there and nowhere else.
set(ORBITRA_DEV_ROOT "" CACHE PATH "Folder the target's SDL -dev packages are unpacked into")
if(ORBITRA_DEV_ROOT)
  set(ENV{PKG_CONFIG_LIBDIR} "${ORBITRA_DEV_ROOT}/usr/lib/${ORBITRA_TRIPLET}/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "${ORBITRA_DEV_ROOT}")
endif()

# Build tools come from the build machine; libraries, headers and packages from the target.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
