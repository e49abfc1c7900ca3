# Native (Linux) build: the platform-free core, its unit tests, fuzzers, benchmarks
# and the gateway simulator.
option(SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(plugin_core STATIC ${CORE_SOURCES})
target_include_directories(plugin_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(plugin_core PRIVATE ${WARNINGS})

find_package(GTest REQUIRED)

# Stand-ins for the platform seams (profile files, module path, clock, HTTPS, worker).
file(GLOB FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/fakes/*.cpp)
add_library(platform_fakes STATIC ${FAKE_SOURCES})
target_link_libraries(platform_fakes PUBLIC plugin_core)
target_include_directories(platform_fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests/unit)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE platform_fakes GTest::gtest GTest::gtest_main)
target_compile_options(unit_tests PRIVATE ${WARNINGS})
add_test(NAME unit_tests COMMAND unit_tests)

if(FUZZ)
  include(cmake/fuzz.cmake OPTIONAL)
elseif(NOT SANITIZE)
  include(cmake/bench.cmake OPTIONAL)
  foreach(tool gateway_sim)
    if(EXISTS ${CMAKE_SOURCE_DIR}/tools/${tool}/CMakeLists.txt)
      add_subdirectory(tools/${tool})
    endif()
  endforeach()
endif()
