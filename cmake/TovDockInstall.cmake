# The installed package: libraries, headers, the CMake package and pkg-config files, in two
# components (runtime: the shared libraries; development: the rest).
#
# find_package(TovDocking3) gives TovDocking3::tovdock, and with COMPONENTS Qt also
# TovDocking3::tovdock_qt (its targets sit in a file of their own, installed only when the Qt
# backend is built). pkg-config knows them as tovdock and tovdock-qt.
include(CMakePackageConfigHelpers)
set(TOVDOCK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TovDocking3)

set(TOVDOCK_INSTALLED tovdock)
if(TOVDOCK_WITH_QT)
  list(APPEND TOVDOCK_INSTALLED tovdock_qt)
endif()
foreach(library ${TOVDOCK_INSTALLED})
  set(export TovDocking3Targets)
  if(library STREQUAL "tovdock_qt")
    set(export TovDocking3QtTargets)
  endif()
  install(TARGETS ${library} EXPORT ${export}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  install(EXPORT ${export} NAMESPACE TovDocking3:: DESTINATION ${TOVDOCK_CMAKE_DIR} COMPONENT development)
endforeach()

# The headers, with the generated export headers beside them; the Qt ones only with the Qt library.
set(exclude_qt "")
if(NOT TOVDOCK_WITH_QT)
  set(exclude_qt PATTERN qt EXCLUDE)
endif()
install(DIRECTORY include/tovdock ${PROJECT_BINARY_DIR}/include/tovdock DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT development ${exclude_qt})

# A static core brings SQLite along to the program; a shared one keeps it inside.
if(BUILD_SHARED_LIBS)
  set(TOVDOCK_NEEDS_SQLITE OFF)
else()
  set(TOVDOCK_NEEDS_SQLITE ON)
endif()
configure_package_config_file(cmake/TovDocking3Config.cmake.in ${PROJECT_BINARY_DIR}/TovDocking3Config.cmake
  INSTALL_DESTINATION ${TOVDOCK_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TovDocking3ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TovDocking3Config.cmake ${PROJECT_BINARY_DIR}/TovDocking3ConfigVersion.cmake
  DESTINATION ${TOVDOCK_CMAKE_DIR} COMPONENT development)

# pkg-config files that find the prefix from where they lie, so the installed tree can move.
file(RELATIVE_PATH TOVDOCK_PC_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" TOVDOCK_PC_PREFIX "${TOVDOCK_PC_PREFIX}")
set(TOVDOCK_PC_PRIVATE "")
set(TOVDOCK_PC_CFLAGS "")
if(TOVDOCK_NEEDS_SQLITE)
  set(TOVDOCK_PC_PRIVATE "Requires.private: sqlite3")
  set(TOVDOCK_PC_CFLAGS " -DTOVDOCK_STATIC_DEFINE")
endif()
set(pc_files tovdock)
if(TOVDOCK_WITH_QT)
  list(APPEND pc_files tovdock-qt)
endif()
foreach(pc ${pc_files})
  configure_file(cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endforeach()
