# Runs at install time (see CMakeLists.txt): writes the menu entry with the full path of the
# installed program. CMAKE_INSTALL_PREFIX is the final prefix here; DESTDIR is not part of it.
set(ORBITRA_EXEC "${CMAKE_INSTALL_PREFIX}/${ORBITRA_INSTALL_BINDIR}/orbitra")
# A path with a blank must be quoted in Exec; characters that would need escaping inside the
# quotes as well are refused rather than half-handled (CMake itself turns \ into /).
if(ORBITRA_EXEC MATCHES "[\"`$%]")
  message(FATAL_ERROR "The menu entry cannot name a program at ${ORBITRA_EXEC}: choose a prefix without \" ` $ or %.")
endif()
if(ORBITRA_EXEC MATCHES "[ \t]")
  set(ORBITRA_EXEC "\"${ORBITRA_EXEC}\"")
endif()
configure_file("${ORBITRA_DESKTOP_TEMPLATE}" "${ORBITRA_DESKTOP_FILE}" @ONLY)
