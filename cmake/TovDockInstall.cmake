# The installed package: libraries, headers, the CMake package, pkg-config files, and the Debian
# packages CPack makes of them (runtime: the shared libraries; development: the rest).
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

# Debian packages: `cpack -G DEB` in a build directory (scripts/package makes a Release build for it).
set(CPACK_PACKAGE_NAME tovdock)
set(CPACK_PACKAGE_VENDOR "TovDocking3")
set(CPACK_PACKAGE_CONTACT "TovDocking3 developers <tovdock@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Dock control: a vertical stack of panes with title strips, splitters and a remembered layout")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
if(NOT BUILD_SHARED_LIBS)
  set(CPACK_COMPONENTS_ALL development)
  set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS "")
endif()
# Named after the SONAME, as Debian names its library packages.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libtovdock${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# Where dpkg-shlibdeps finds the core that the Qt library needs: it comes in the same package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtovdock-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The headers include Qt's; a static core also needs SQLite to link.
set(dev_depends "")
if(TOVDOCK_WITH_QT)
  list(APPEND dev_depends qt6-base-dev)
endif()
if(TOVDOCK_NEEDS_SQLITE)
  list(APPEND dev_depends libsqlite3-dev)
endif()
string(REPLACE ";" ", " CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${dev_depends}")
include(CPack)
