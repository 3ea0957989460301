# Windows build (MinGW-w64): purvex.exe plus the programs the Wine suite runs.
set(WIN_COMMON_FLAGS -static -static-libgcc -static-libstdc++)
target_compile_definitions(purvex_logic PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

file(GLOB WIN32_PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(purvex_win32 STATIC ${WIN32_PLATFORM_SOURCES})
target_link_libraries(purvex_win32 PUBLIC purvex_logic)
set(PURVEX_WIN32_LIBS comctl32 setupapi shlwapi advapi32 shell32 user32 gdi32)
target_link_libraries(purvex_win32 PUBLIC ${PURVEX_WIN32_LIBS})

file(GLOB WINDOW_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*_window.cpp
  ${CMAKE_SOURCE_DIR}/printer_page/*_window.cpp
  ${CMAKE_SOURCE_DIR}/controls/*.cpp)

set(PURVEX_ENTRY_SOURCES ${CMAKE_SOURCE_DIR}/app/program_main.cpp)
add_executable(purvex WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${PURVEX_ENTRY_SOURCES}
  ${WINDOW_SOURCES} ${CMAKE_SOURCE_DIR}/resources/purvex.rc)
target_link_libraries(purvex PRIVATE purvex_win32)
target_link_options(purvex PRIVATE ${WIN_COMMON_FLAGS} -mwindows)
set_target_properties(purvex PROPERTIES OUTPUT_NAME purvex)
# The program runs elevated: a build whose import table names a library that
# the loader would look for in the program's folder fails here.
add_custom_command(TARGET purvex POST_BUILD
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/imports/check_imports.sh ${CMAKE_OBJDUMP}
    $<TARGET_FILE:purvex> ${CMAKE_SOURCE_DIR}
  VERBATIM)

# purvexc.exe: the same program in the console subsystem, for callers that
# wait for it and read its output.
add_executable(purvexc ${CMAKE_SOURCE_DIR}/app/console_main.cpp ${PURVEX_ENTRY_SOURCES}
  ${WINDOW_SOURCES} ${CMAKE_SOURCE_DIR}/resources/purvex.rc)
target_link_libraries(purvexc PRIVATE purvex_win32)
target_link_options(purvexc PRIVATE ${WIN_COMMON_FLAGS} -mconsole)
add_custom_command(TARGET purvexc POST_BUILD
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/imports/check_imports.sh ${CMAKE_OBJDUMP}
    $<TARGET_FILE:purvexc> ${CMAKE_SOURCE_DIR}
  VERBATIM)
include(${CMAKE_SOURCE_DIR}/resources/resources.cmake)
target_include_directories(purvexc PRIVATE ${PURVEX_GENERATED_DIR})

# tools/bench_scale.sh times the program at scale without its fixed waits:
# the same program with a clock that writes down how long each wait took.
# Never shipped; built only when asked for (ninja purvex_bench).
add_executable(purvex_bench WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/app/main.cpp
  ${PURVEX_ENTRY_SOURCES} ${WINDOW_SOURCES}
  ${CMAKE_SOURCE_DIR}/platform/win32/win32_system.cpp ${CMAKE_SOURCE_DIR}/resources/purvex.rc)
target_compile_definitions(purvex_bench PRIVATE PURVEX_BENCH_RECORD_WAITS)
target_link_libraries(purvex_bench PRIVATE purvex_win32)
target_link_options(purvex_bench PRIVATE ${WIN_COMMON_FLAGS} -mwindows)
target_include_directories(purvex_bench PRIVATE ${PURVEX_GENERATED_DIR})

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_BINARY_DIR}/e2e)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/contract/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/contract ${CMAKE_BINARY_DIR}/contract)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/bench/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/bench ${CMAKE_BINARY_DIR}/bench)
endif()
