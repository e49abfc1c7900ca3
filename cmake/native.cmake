# Native (Linux) build: the platform-free core, its unit tests, fuzzers, benchmarks
# and the gateway simulator.
option(SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(SANITIZE)
  set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${SANITIZE_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

# Created after the sanitizer options above, so that they reach the product code too.
add_library(plugin_core STATIC ${CORE_SOURCES})
target_include_directories(plugin_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
target_compile_options(plugin_core PRIVATE ${WARNINGS})

find_package(GTest REQUIRED)

# Stand-ins for the platform seams (profile files, module path, clock, HTTPS, worker).
file(GLOB FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/fakes/*.cpp)
add_library(platform_fakes STATIC ${FAKE_SOURCES})
target_link_libraries(platform_fakes PUBLIC plugin_core)
target_include_directories(platform_fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests/unit)
target_compile_options(platform_fakes PRIVATE ${WARNINGS})

# The administrator's guide's troubleshooting table, from the plug-in's own texts.
add_library(admin_guide_rows STATIC ${CMAKE_SOURCE_DIR}/tools/admin_guide/troubleshooting_rows.cpp)
target_link_libraries(admin_guide_rows PUBLIC plugin_core)
target_compile_options(admin_guide_rows PRIVATE ${WARNINGS})

# The reconciliation tool, CSReconcile.
add_subdirectory(tools/reconcile)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE platform_fakes admin_guide_rows reconcile_core GTest::gtest
                      GTest::gtest_main)
target_compile_options(unit_tests PRIVATE ${WARNINGS})
# The sample settings file of the release package, checked against the keys the code uses.
target_compile_definitions(unit_tests PRIVATE
                           SAMPLE_SETTINGS_FILE="${CMAKE_SOURCE_DIR}/docs/CSPlugin.INI"
                           TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
add_test(NAME unit_tests COMMAND unit_tests)

# Every form body the encoder makes, decoded by Python's URL decoder and compared with
# the message it was built from.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_executable(form_body_dump ${CMAKE_SOURCE_DIR}/tests/form_decode/form_body_dump.cpp)
target_link_libraries(form_body_dump PRIVATE platform_fakes)
target_compile_options(form_body_dump PRIVATE ${WARNINGS})
add_test(NAME form_body_decode
         COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/form_decode/check_form_bodies.py
                 $<TARGET_FILE:form_body_dump>)

# Save and Cancel while a job left by its destroyed dialog is starting, under
# ThreadSanitizer: the product code and the fakes are built again, instrumented, and any
# race (a job reading the settings Save replaces) fails the run.
if(NOT SANITIZE AND NOT FUZZ)
  # No built-in string functions: the sanitizer sees only the calls it intercepts.
  set(TSAN_FLAGS -fsanitize=thread -g -fno-builtin)
  add_executable(orphaned_job_tsan ${CORE_SOURCES} ${FAKE_SOURCES}
                 ${CMAKE_SOURCE_DIR}/tests/race/orphaned_job_race_test.cpp)
  target_include_directories(orphaned_job_tsan PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
                             ${CMAKE_SOURCE_DIR}/tests/unit)
  # The same sources pass the warnings in plugin_core; instrumented, gcc adds false ones.
  target_compile_options(orphaned_job_tsan PRIVATE ${TSAN_FLAGS})
  target_link_options(orphaned_job_tsan PRIVATE ${TSAN_FLAGS})
  target_link_libraries(orphaned_job_tsan PRIVATE GTest::gtest GTest::gtest_main)
  add_test(NAME orphaned_job_tsan COMMAND orphaned_job_tsan)
  set_tests_properties(orphaned_job_tsan PROPERTIES ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1")
endif()

if(FUZZ)
  include(cmake/fuzz.cmake)
elseif(NOT SANITIZE)
  include(cmake/bench.cmake)
  add_subdirectory(tools/gateway_sim)
endif()

# The resource sources are data checked by scripts: the image-list bitmap drawn from
# its text source, and (with a windres at hand) the compiled dialog templates.
add_test(NAME cardidlist_bitmap
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/resources/cardidlist_test.py)
find_program(WINDRES_FOR_TESTS NAMES i686-w64-mingw32-windres windres)
if(WINDRES_FOR_TESTS)
  add_test(NAME dialog_templates
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/resources/dialog_templates_test.py ${WINDRES_FOR_TESTS})
endif()

# The release's PowerShell scripts, read for faults (no PowerShell runs here).
add_test(NAME deploy_powershell
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/release/check_powershell.py
          ${CMAKE_SOURCE_DIR}/tools/deploy/write-settings.ps1 ${CMAKE_SOURCE_DIR}/tools/deploy/collect-journals.ps1)

# The troubleshooting table printed and compared with ADMIN.md.
add_executable(troubleshooting_table ${CMAKE_SOURCE_DIR}/tools/admin_guide/troubleshooting_table.cpp)
target_link_libraries(troubleshooting_table PRIVATE admin_guide_rows)
target_compile_options(troubleshooting_table PRIVATE ${WARNINGS})
add_test(NAME admin_guide_troubleshooting
         COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/docs/check_troubleshooting.py
                 $<TARGET_FILE:troubleshooting_table> ${CMAKE_SOURCE_DIR}/ADMIN.md)
