# Compiles tests/api/internals.cpp once per case: the application's own use must compile, and
# every reach into the library's internals must not.
list(TRANSFORM INCLUDE PREPEND -I)
foreach(case RANGE 0 7)
  execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only ${INCLUDE} -DCASE=${case} ${SOURCE}
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(case EQUAL 0 AND NOT rc EQUAL 0)
    message(FATAL_ERROR "the application's own use of the public headers does not compile")
  elseif(case GREATER 0 AND rc EQUAL 0)
    message(FATAL_ERROR "case ${case} of ${SOURCE} compiles: an internal is reachable")
  endif()
endforeach()
