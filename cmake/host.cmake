# Host build: logic + simulation + GoogleTest, with ASan and UBSan.
option(PURVEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(PURVEX_SANITIZE)
  set(SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(purvex_logic PUBLIC ${SAN_FLAGS})
  target_link_options(purvex_logic PUBLIC ${SAN_FLAGS})
endif()

find_package(Threads REQUIRED)
target_link_libraries(purvex_logic PUBLIC Threads::Threads)

find_package(GTest REQUIRED)
enable_testing()

file(GLOB SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/sim/*.cpp)
add_library(purvex_sim STATIC ${SIM_SOURCES})
target_link_libraries(purvex_sim PUBLIC purvex_logic)

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/contract/*_suite.cpp
  ${CMAKE_SOURCE_DIR}/tests/contract/host_*.cpp)
add_executable(purvex_tests ${UNIT_SOURCES})
target_link_libraries(purvex_tests PRIVATE purvex_sim GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(purvex_tests DISCOVERY_TIMEOUT 60)

# The logic's folders include only their own or lower layers.
set(INCLUDE_DIRECTION ${CMAKE_SOURCE_DIR}/tests/architecture/include_direction_test.sh)
add_test(NAME Architecture.IncludesPointDown COMMAND bash ${INCLUDE_DIRECTION} ${CMAKE_SOURCE_DIR})
add_test(NAME Architecture.IncludeCheckCatchesBackwardIncludes COMMAND bash ${INCLUDE_DIRECTION} --self-test)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/host_*.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE purvex_sim)
endforeach()

# The Wine suite's shell library, checked without Wine.
add_test(NAME e2e_lib_selftest COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/lib_selftest.sh)
