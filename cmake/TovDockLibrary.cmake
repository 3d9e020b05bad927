# How the project's libraries are made and which warnings its own targets get.
include(GenerateExportHeader)

# tovdock_library(<name> EXPORT_HEADER <path under include/> OBJECTS <object libraries...>
#                 [SHARED_OBJECTS <object libraries...>])
#
# Makes two libraries of the objects compiled once in the OBJECT libraries:
#  - <name> (alias TovDocking3::<name>), the library applications link and the package installs:
#    shared (with the SONAME lib<name>.so.<major>) unless BUILD_SHARED_LIBS is OFF. Only what the
#    public headers mark with the generated export macro (<BASE>_EXPORT, in EXPORT_HEADER) is
#    visible outside a shared library;
#  - <name>_internal, a static library of the same objects that also shows the library's own
#    headers under src/: the tests, benchmarks and fuzzers reach internals through it.
# SHARED_OBJECTS go into the shared library only: objects another of the project's libraries also
# contains, which a shared library cannot reach there (they are hidden).
function(tovdock_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXPORT_HEADER" "OBJECTS;SHARED_OBJECTS")
  string(TOUPPER ${name} base)

  set(objects "")
  foreach(library ${arg_OBJECTS})
    set_target_properties(${library} PROPERTIES
      POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    # What the generated header tests to tell building the library from using it.
    target_compile_definitions(${library} PRIVATE ${name}_EXPORTS
      $<$<NOT:$<BOOL:${BUILD_SHARED_LIBS}>>:${base}_STATIC_DEFINE>)
    target_include_directories(${library} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_BINARY_DIR}/include)
    list(APPEND objects $<TARGET_OBJECTS:${library}>)
  endforeach()
  set(shared_objects "")
  if(BUILD_SHARED_LIBS)
    foreach(library ${arg_SHARED_OBJECTS})
      list(APPEND shared_objects $<TARGET_OBJECTS:${library}>)
    endforeach()
  endif()

  add_library(${name} ${objects} ${shared_objects})
  add_library(TovDocking3::${name} ALIAS ${name})
  set_target_properties(${name} PROPERTIES EXPORT_NAME ${name} POSITION_INDEPENDENT_CODE ON
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  if(NOT BUILD_SHARED_LIBS)
    target_compile_definitions(${name} PUBLIC ${base}_STATIC_DEFINE)
  else()
    # The export macros leave the library's own instances of standard templates visible (they take
    # the visibility of their arguments); the version script keeps the exports to namespace tov.
    set(map ${PROJECT_SOURCE_DIR}/cmake/exports.map)
    target_link_options(${name} PRIVATE LINKER:--version-script=${map})
    set_target_properties(${name} PROPERTIES LINK_DEPENDS ${map})
  endif()
  if(BUILD_SHARED_LIBS AND NOT TOVDOCK_SANITIZE AND NOT TOVDOCK_FUZZ)
    # A symbol the library uses but hides elsewhere fails here, not in the application's link.
    # (A sanitizer's runtime comes with the program, so those builds leave it open.)
    target_link_options(${name} PRIVATE LINKER:--no-undefined)
  endif()
  generate_export_header(${name} BASE_NAME ${base} EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/${arg_EXPORT_HEADER})

  add_library(${name}_internal STATIC ${objects})
  target_include_directories(${name}_internal PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_BINARY_DIR}/include
    ${PROJECT_SOURCE_DIR}/src)
  if(NOT BUILD_SHARED_LIBS)
    target_compile_definitions(${name}_internal PUBLIC ${base}_STATIC_DEFINE)
  endif()
endfunction()

# tovdock_warnings(<directory>): -Wall -Wextra, and -Werror with TOVDOCK_WERROR, for every target
# compiled in <directory> and below. Only the project's own targets get them: a program that adds
# the project with add_subdirectory keeps its own flags, and a newer compiler's new warning breaks
# no user's build.
function(tovdock_warnings directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${TOVDOCK_WERROR}>:-Werror>
        # GCC 12 at -O3 takes "text" + std::string for a copy between overlapping buffers.
        $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    tovdock_warnings(${subdirectory})
  endforeach()
endfunction()
