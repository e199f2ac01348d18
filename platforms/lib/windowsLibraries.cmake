# 64-bit Windows on the pinned libraries, for the platforms built for it (windows, and saver's
# .scr): the libraries from ORBITRA_LIBS_PREFIX with what they use of Windows, Windows' own
# system file, and the programs' resource file (orbitra.rc: the manifest that keeps Windows
# from blurring their windows on scaled screens).
include(${CMAKE_CURRENT_LIST_DIR}/pinnedLibraries.cmake)
orbitra_pinned_libraries("${ORBITRA_LIBS_PREFIX}")
# What the library's GDI video, DirectSound audio, multimedia joystick and clock use.
target_link_libraries(orbitra_pinned_libraries INTERFACE winmm gdi32 user32 dxguid ole32 imm32
  version)
set(ORBITRA_SYSTEM_SOURCE base/systemWindows.cpp)
enable_language(RC)
set(ORBITRA_WINDOWS_RESOURCES ${CMAKE_CURRENT_LIST_DIR}/orbitra.rc)
