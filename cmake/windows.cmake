# The Windows build's libraries: SDL 1.2, SDL_mixer, libmikmod, FreeType, libpng and zlib, built
# static from the pinned Debian sources by deps/build-libs.sh into ORBITRA_LIBS_PREFIX
# (tools/windows.sh does both), with the image and text stand-ins.
include(${CMAKE_CURRENT_LIST_DIR}/pinnedLibraries.cmake)
orbitra_pinned_libraries("${ORBITRA_LIBS_PREFIX}")
# What the library's GDI video, DirectSound audio, multimedia joystick and clock use.
target_link_libraries(orbitra_pinned_libraries INTERFACE winmm gdi32 user32 dxguid ole32 imm32
  version)
