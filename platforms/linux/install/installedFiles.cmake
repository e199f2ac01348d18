# Runs at install time (see CMakeLists.txt): writes the files that name an installed program by
# its full path, the menu entry and the launchers. CMAKE_INSTALL_PREFIX is the final prefix here;
# DESTDIR is not part of it.
set(ORBITRA_PROGRAMS "${CMAKE_INSTALL_PREFIX}/${ORBITRA_INSTALL_PROGRAMDIR}")
set(ORBITRA_EXEC "${CMAKE_INSTALL_PREFIX}/${ORBITRA_INSTALL_BINDIR}/orbitra")
# A path with a blank must be quoted, in Exec as in the launcher; characters that would need
# escaping inside the quotes as well are refused rather than half-handled (CMake itself turns
# \ into /).
if(CMAKE_INSTALL_PREFIX MATCHES "[\"`$%]")
  message(FATAL_ERROR "The menu entry and the launchers cannot name programs under ${CMAKE_INSTALL_PREFIX}: choose a prefix without \" ` $ or %.")
endif()
if(ORBITRA_EXEC MATCHES "[ \t]")
  set(ORBITRA_EXEC "\"${ORBITRA_EXEC}\"")
endif()
configure_file("${ORBITRA_DESKTOP_TEMPLATE}" "${ORBITRA_DESKTOP_FILE}" @ONLY)
foreach(ORBITRA_PROGRAM IN LISTS ORBITRA_LAUNCHED)
  configure_file("${ORBITRA_LAUNCHER_TEMPLATE}" "${ORBITRA_LAUNCHER_DIR}/${ORBITRA_PROGRAM}" @ONLY)
endforeach()
