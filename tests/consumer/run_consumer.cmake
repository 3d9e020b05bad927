# Installs the built library into a fresh prefix, then configures, builds and runs the consumer
# program against that prefix alone. The program gets a settings file in WORK_DIR. NO_SQLITE=ON
# builds with SQLite out of reach (its package not to be found, and a sqlite3.h that fails to
# compile first on the include path).
#
# cmake -DBUILD_DIR=... -DCONSUMER_SOURCE_DIR=... -DWORK_DIR=... [-DCXX_COMPILER=...]
#       [-DCXX_FLAGS=...] [-DBUILD_TYPE=...] [-DGENERATOR=...] [-DNO_SQLITE=ON]
#       -P run_consumer.cmake
foreach(var BUILD_DIR CONSUMER_SOURCE_DIR WORK_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "run_consumer.cmake: ${var} is not set")
  endif()
endforeach()

function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "consumer: ${step} failed (${rc})")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
set(build "${WORK_DIR}/build")

run(install ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

set(configure_args -S "${CONSUMER_SOURCE_DIR}" -B "${build}" "-DCMAKE_PREFIX_PATH=${prefix}"
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
if(GENERATOR)
  list(APPEND configure_args -G "${GENERATOR}")
endif()
if(CXX_COMPILER)
  list(APPEND configure_args "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}")
endif()
set(compile_flags "${CXX_FLAGS}")
if(NO_SQLITE)
  file(WRITE "${WORK_DIR}/no-sqlite/sqlite3.h" "#error the package must not need SQLite's headers\n")
  list(APPEND configure_args -DCMAKE_DISABLE_FIND_PACKAGE_SQLite3=ON)
  string(PREPEND compile_flags "-I${WORK_DIR}/no-sqlite ")
endif()
if(compile_flags)
  list(APPEND configure_args "-DCMAKE_CXX_FLAGS=${compile_flags}")
endif()
if(CXX_FLAGS)
  list(APPEND configure_args "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}")
endif()
if(BUILD_TYPE)
  list(APPEND configure_args "-DCMAKE_BUILD_TYPE=${BUILD_TYPE}")
endif()
run(configure ${CMAKE_COMMAND} ${configure_args})
run(build ${CMAKE_COMMAND} --build "${build}")
run(run "${build}/consumer" "${WORK_DIR}/settings.sqlite")
