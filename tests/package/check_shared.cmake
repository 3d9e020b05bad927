# Installs the runtime files of a build into a fresh prefix and checks them: each library of
# LIBRARIES is there as lib<name>.so.<MAJOR> with that SONAME, exports only what lies in namespace
# tov (with its classes' type information, virtual tables and thunks), and nothing of the
# development files came along.
#
# cmake -DBUILD_DIR=... -DWORK_DIR=... -DLIBDIR=... -DLIBRARIES=a;b -DMAJOR=... -P check_shared.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" --component runtime
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installing the runtime component failed (${rc})")
endif()

set(failures "")
foreach(name ${LIBRARIES})
  set(soname "lib${name}.so.${MAJOR}")
  set(library "${prefix}/${LIBDIR}/${soname}")
  if(NOT EXISTS "${library}")
    string(APPEND failures "${LIBDIR}/${soname} is not installed\n")
    continue()
  endif()
  execute_process(COMMAND objdump -p "${library}" OUTPUT_VARIABLE headers)
  if(NOT headers MATCHES "SONAME +${soname}\n")
    string(APPEND failures "${soname} does not carry the SONAME ${soname}\n")
  endif()
  execute_process(COMMAND nm -D --defined-only -C "${library}" OUTPUT_VARIABLE symbols)
  string(REPLACE "\n" ";" symbols "${symbols}")
  foreach(line ${symbols})
    # "<address> <type> <name>"
    string(REGEX REPLACE "^[0-9a-f]+ . " "" symbol "${line}")
    if(NOT symbol MATCHES "^((typeinfo|typeinfo name|vtable|VTT|guard variable) for |(non-)?virtual thunk to )?tov::")
      string(APPEND failures "${soname} exports ${symbol}\n")
    endif()
  endforeach()
endforeach()

file(GLOB_RECURSE development RELATIVE "${prefix}" "${prefix}/include/*" "${prefix}/${LIBDIR}/*.so"
  "${prefix}/${LIBDIR}/*.a" "${prefix}/${LIBDIR}/cmake/*" "${prefix}/${LIBDIR}/pkgconfig/*")
foreach(file ${development})
  string(APPEND failures "the runtime files include ${file}\n")
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
