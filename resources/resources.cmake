# Resource side of purvex.exe: the generated string table and the files the
# resource script pulls in, so that editing any of them recompiles it.
set(PURVEX_RESOURCE_DIR ${CMAKE_SOURCE_DIR}/resources)
set(PURVEX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(PURVEX_STRING_TABLE_RC ${PURVEX_GENERATED_DIR}/string_table.rc)

# version.h is the one place that holds the version; the project's version
# must agree with it.
file(STRINGS ${PURVEX_RESOURCE_DIR}/version.h version_lines
  REGEX "^#define PURVEX_VERSION_(MAJOR|MINOR|PATCH|BUILD) [0-9]+$")
foreach(line IN LISTS version_lines)
  string(REGEX MATCH "PURVEX_VERSION_([A-Z]+) ([0-9]+)" _ "${line}")
  set(version_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()
set(PURVEX_RESOURCE_VERSION
  "${version_MAJOR}.${version_MINOR}.${version_PATCH}.${version_BUILD}")
if(NOT PURVEX_RESOURCE_VERSION VERSION_EQUAL PROJECT_VERSION)
  message(FATAL_ERROR "resources/version.h says ${PURVEX_RESOURCE_VERSION}, "
    "the project says ${PROJECT_VERSION}")
endif()

add_custom_command(
  OUTPUT ${PURVEX_STRING_TABLE_RC}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PURVEX_GENERATED_DIR}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PURVEX_RESOURCE_DIR}/string_table.h
          -DOUTPUT=${PURVEX_STRING_TABLE_RC}
          -P ${PURVEX_RESOURCE_DIR}/gen_string_table.cmake
  DEPENDS ${PURVEX_RESOURCE_DIR}/string_table.h ${PURVEX_RESOURCE_DIR}/gen_string_table.cmake
  COMMENT "Generating the string table resource"
  VERBATIM)

set_source_files_properties(${PURVEX_RESOURCE_DIR}/purvex.rc PROPERTIES
  OBJECT_DEPENDS "${PURVEX_STRING_TABLE_RC};${PURVEX_RESOURCE_DIR}/resource_ids.h;${PURVEX_RESOURCE_DIR}/version.h;${PURVEX_RESOURCE_DIR}/purvex.manifest;${PURVEX_RESOURCE_DIR}/art/purvex.ico;${PURVEX_RESOURCE_DIR}/art/maker.ico;${PURVEX_RESOURCE_DIR}/art/side.bmp;${PURVEX_RESOURCE_DIR}/art/side_small.bmp")
target_include_directories(purvex PRIVATE ${PURVEX_GENERATED_DIR})
