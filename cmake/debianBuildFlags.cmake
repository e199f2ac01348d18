# Debian's build flags as dpkg-buildflags gives them, with every hardening feature: fortified C
# library calls, a strong stack protector, relocations made read-only and bound at start, and
# the source tree's path mapped out of the debug information. The build type keeps choosing
# optimisation and debug information. Linux builds only (a cross build asks for its target's
# flags), and not under the sanitizers, which bring checks of their own.
option(ORBITRA_HARDENING "Build with Debian's hardening flags from dpkg-buildflags" ON)
find_program(ORBITRA_DPKG_BUILDFLAGS dpkg-buildflags)
if(ORBITRA_HARDENING AND NOT ORBITRA_SANITIZE AND CMAKE_SYSTEM_NAME STREQUAL Linux)
  if(NOT ORBITRA_DPKG_BUILDFLAGS)
    message(WARNING "dpkg-buildflags (package dpkg-dev) is missing: built without Debian's hardening flags.")
    return()
  endif()
  set(orbitra_host_arch "")
  if(CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE)
    execute_process(COMMAND dpkg-architecture -t${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
      OUTPUT_VARIABLE orbitra_host_arch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    set(orbitra_host_arch DEB_HOST_ARCH=${orbitra_host_arch})
  endif()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${orbitra_host_arch}
        ${ORBITRA_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE orbitra_flags OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE orbitra_result)
    if(NOT orbitra_result EQUAL 0)
      message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
    endif()
    separate_arguments(orbitra_flags UNIX_COMMAND "${orbitra_flags}")
    list(FILTER orbitra_flags EXCLUDE REGEX "^-(g|O.*)$")
    if(kind STREQUAL LDFLAGS)
      add_link_options(${orbitra_flags})
    else()
      add_compile_options(${orbitra_flags})
    endif()
    message(STATUS "Debian's ${kind}: ${orbitra_flags}")
  endforeach()
endif()
