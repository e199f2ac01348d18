# The intro as a screen saver: one program that draws the intro's frames into the window it is
# given (picture.cpp), chosen by the toolchain: orbitra.scr for Windows on the pinned libraries
# (windows.cpp), or an XScreenSaver hack on the system's libraries (x11.cpp, with its settings
# file and Debian package).
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/../lib/windowsLibraries.cmake)
  add_executable(orbitra-saver ${CMAKE_CURRENT_LIST_DIR}/windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture.cpp ${ORBITRA_WINDOWS_RESOURCES})
  target_link_libraries(orbitra-saver PRIVATE orbitra_app orbitra_warnings)
  set_target_properties(orbitra-saver PROPERTIES WIN32_EXECUTABLE ON OUTPUT_NAME orbitra
    SUFFIX .scr)
  # The check's build of it: the library's clock held at ORBITRA_HELD_TICK, as orbitra-held.exe
  # holds it; and its helper, a window standing in for the settings' preview.
  add_executable(orbitra-saver-held ${CMAKE_CURRENT_LIST_DIR}/windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture.cpp ${ORBITRA_WINDOWS_RESOURCES} tests/probe/heldClock.c)
  target_link_libraries(orbitra-saver-held PRIVATE orbitra_app orbitra_warnings)
  target_link_options(orbitra-saver-held PRIVATE -Wl,--wrap=SDL_GetTicks)
  set_target_properties(orbitra-saver-held PROPERTIES WIN32_EXECUTABLE ON SUFFIX .scr)
  add_executable(previewWindow ${CMAKE_CURRENT_LIST_DIR}/previewWindow.c)
  target_link_libraries(previewWindow PRIVATE user32)
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../lib/systemLibraries.cmake)
find_package(X11 REQUIRED)

# Installed where XScreenSaver looks for its hacks; the intro's files are the orbitra package's.
set(ORBITRA_SAVER_DIR lib/xscreensaver)
include(GNUInstallDirs)
if(CMAKE_INSTALL_LIBEXECDIR)
  set(ORBITRA_SAVER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
endif()
file(RELATIVE_PATH ORBITRA_DATA_FROM_BIN /${ORBITRA_SAVER_DIR} /share/games/orbitra)

add_executable(orbitra-saver ${CMAKE_CURRENT_LIST_DIR}/x11.cpp ${CMAKE_CURRENT_LIST_DIR}/picture.cpp)
target_link_libraries(orbitra-saver PRIVATE orbitra_app X11::X11 X11::Xext orbitra_warnings)

install(TARGETS orbitra-saver RUNTIME DESTINATION ${ORBITRA_SAVER_DIR})
install(CODE "file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ORBITRA_SAVER_DIR}/orbitra-saver\")")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orbitra.xml DESTINATION share/xscreensaver/config)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/orbitra-saver RENAME copyright)
# The Debian changelog, from CHANGELOG.md, compressed without a time stamp.
set(ORBITRA_MAINTAINER "The orbitra developers <maintainers@orbitra.invalid>")
set(ORBITRA_CHANGELOG_NAME orbitra-saver)
include(${CMAKE_CURRENT_LIST_DIR}/../lib/releases.cmake)
add_custom_command(OUTPUT changelog.gz COMMAND gzip -9nc changelog > changelog.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(orbitra_saver_changelog ALL DEPENDS changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION share/doc/orbitra-saver)

# `cpack` in the build folder writes orbitra-saver_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbitra-saver)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ORBITRA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small demoscene intro as a screen saver")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "The orbitra intro as an XScreenSaver hack: its frames, without the music,\n"
  "enlarged by a whole factor and centred on black.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "orbitra (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
include(CPack)
