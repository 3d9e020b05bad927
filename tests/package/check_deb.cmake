# Makes the Debian packages of a build with CPack and checks them as a user's machine would see
# them: two packages, the runtime one named after the SONAME and the development one depending on
# it; both unpacked into a scratch root (dpkg-deb -x), where the examples build with CMake with
# SQLite out of reach, and the console consumer builds with pkg-config and runs.
#
# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DLIBDIR=... -DMAJOR=... -DVERSION=...
#       [-DCXX_COMPILER=...] [-DCXX_FLAGS=...] [-DGENERATOR=...] -P check_deb.cmake
function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${step} failed (${rc}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(root "${WORK_DIR}/root")
run(cpack cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}/packages")
file(GLOB debs "${WORK_DIR}/packages/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 2)
  message(FATAL_ERROR "cpack made ${count} packages, not a runtime and a development one: ${debs}")
endif()

set(runtime "libtovdock${MAJOR}")
foreach(deb ${debs})
  run(fields dpkg-deb -f "${deb}" Package Depends)
  if(out MATCHES "Package: ${runtime}\n")
    # The libraries' own dependencies, found by dpkg-shlibdeps.
    foreach(needed libsqlite3-0 libqt6widgets6)
      if(NOT out MATCHES "${needed}")
        message(FATAL_ERROR "${runtime} does not depend on ${needed}:\n${out}")
      endif()
    endforeach()
  elseif(out MATCHES "Package: [a-z0-9]+-dev\n")
    if(NOT out MATCHES "${runtime} \\(= ${VERSION}\\)")
      message(FATAL_ERROR "the development package does not depend on ${runtime} ${VERSION}:\n${out}")
    endif()
    if(out MATCHES "sqlite")
      message(FATAL_ERROR "the development package asks for SQLite:\n${out}")
    endif()
  else()
    message(FATAL_ERROR "unexpected package:\n${out}")
  endif()
  run(unpack dpkg-deb -x "${deb}" "${root}")
endforeach()

# CMake: the examples, on the unpacked packages alone, with SQLite out of reach.
file(WRITE "${WORK_DIR}/no-sqlite/sqlite3.h" "#error the package must not need SQLite's headers\n")
set(configure_args -S "${SOURCE_DIR}/examples" -B "${WORK_DIR}/examples" "-DCMAKE_PREFIX_PATH=${root}/usr"
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_DISABLE_FIND_PACKAGE_SQLite3=ON
  "-DCMAKE_CXX_FLAGS=-I${WORK_DIR}/no-sqlite ${CXX_FLAGS}")
if(GENERATOR)
  list(APPEND configure_args -G "${GENERATOR}")
endif()
if(CXX_COMPILER)
  list(APPEND configure_args "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}")
endif()
run(configure ${CMAKE_COMMAND} ${configure_args})
run(build ${CMAKE_COMMAND} --build "${WORK_DIR}/examples" --parallel 2)

# pkg-config: the console consumer compiled with the flags tovdock.pc gives, then run on the
# unpacked libraries; tovdock-qt.pc resolves too.
set(pkg_env ${CMAKE_COMMAND} -E env "PKG_CONFIG_PATH=${root}/usr/${LIBDIR}/pkgconfig")
run(pkg-config ${pkg_env} pkg-config --cflags --libs tovdock)
string(STRIP "${out}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
if(NOT CXX_COMPILER)
  set(CXX_COMPILER c++)
endif()
run(compile ${CXX_COMPILER} -std=c++20 -I${WORK_DIR}/no-sqlite "${SOURCE_DIR}/tests/consumer/main.cpp" ${flags}
  -o "${WORK_DIR}/consumer")
run(run ${CMAKE_COMMAND} -E env "LD_LIBRARY_PATH=${root}/usr/${LIBDIR}" "${WORK_DIR}/consumer"
  "${WORK_DIR}/settings.sqlite")
run(pkg-config-qt ${pkg_env} pkg-config --cflags --libs tovdock-qt)
if(NOT out MATCHES "-ltovdock_qt")
  message(FATAL_ERROR "pkg-config tovdock-qt gives no -ltovdock_qt: ${out}")
endif()
