# The Linux desktop, and ARM Linux through the arm presets' toolchain (platforms/arm/): the
# system's SDL 1.2 and companions, found by pkg-config; the intro, its tools and tests, the
# stand-ins' proof, and the install rules and Debian package (install/).
include(${CMAKE_CURRENT_LIST_DIR}/../lib/systemLibraries.cmake)

# Where an installed intro lives: a launcher for each program as a game, the programs
# themselves in a folder of their own, their files beside the other games'.
set(ORBITRA_INSTALL_BINDIR games)
set(ORBITRA_INSTALL_PROGRAMDIR lib/games/orbitra)
set(ORBITRA_INSTALL_DATADIR share/games/orbitra)
file(RELATIVE_PATH ORBITRA_DATA_FROM_BIN /${ORBITRA_INSTALL_PROGRAMDIR} /${ORBITRA_INSTALL_DATADIR})

add_executable(orbitra app/main.cpp)
target_link_libraries(orbitra PRIVATE orbitra_app orbitra_warnings)
add_subdirectory(tools)
add_subdirectory(tools/bench)
include(CTest)
if(BUILD_TESTING)
  add_subdirectory(tests)
endif()
add_subdirectory(standins)
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/install ${PROJECT_BINARY_DIR}/dist)
