# Windows (mingw-w64) build: the plug-in DLL, the station simulator, the fallback host
# and the Win32 test program. i686 is what ships; x86_64 (cmake/mingw-x86_64.cmake) is
# what the Win32 tests run where 32-bit programs cannot run (scripts/wine_arch.sh).
# Tests labelled wine execute under Wine; the others only read files.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Hardening: the stack protector (the plug-in's code seeds its guard in
# host/stack_guard_win32.cpp, in place of libssp's, which opens a crypto provider under
# the loader lock; programs without the plug-in's code take libssp, static like the rest
# of the runtime, so the binaries still import system DLLs only); NO_SEH, as nothing
# registers an SEH handler; ASLR and DEP; Windows 7 (6.1), the oldest Windows supported,
# as subsystem and OS version. Control flow guard and SafeSEH tables are beyond this
# toolchain.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fstack-protector-strong>)
add_link_options(-fstack-protector-strong LINKER:--no-seh LINKER:--dynamicbase LINKER:--nxcompat
                 LINKER:--major-subsystem-version,6 LINKER:--minor-subsystem-version,1
                 LINKER:--major-os-version,6 LINKER:--minor-os-version,1)
# The same sources give the same bytes in any folder at any time: no link time stamp,
# and paths in the debug information relative to the checkout, the build folder (where
# the compiler runs) as ".". The second map is the longer prefix when the build folder
# lies inside the checkout; gcc tries the maps from the last one given.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=;-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>")
add_link_options(LINKER:--no-insert-timestamp)
# Optimised for size: the release ZIP must stay under 400 KiB, and nothing in these
# programs is bound by the processor (a transaction waits on the network and the user).
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
# The plug-in's own code always carries debug information (DWARF 4, which Wine's debugger
# reads as well as gdb); -g leaves the generated code unchanged. The release package
# moves it into a file of its own (cmake/package.cmake).
set(PLUGIN_DEBUG_INFO -gdwarf-4)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# The whole plug-in but its entry point, so that tests can link it as well. The core
# and the Win32 layer depend on each other through the seams, so they form one library.
set(ENTRY_SOURCE ${CMAKE_SOURCE_DIR}/host/plugin_entry_win32.cpp)
list(REMOVE_ITEM WIN32_SOURCES ${ENTRY_SOURCE})
add_library(plugin_win32 STATIC ${CORE_SOURCES} ${WIN32_SOURCES})
target_include_directories(plugin_win32 PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
target_link_libraries(plugin_win32 PUBLIC comctl32 wininet crypt32 gdi32 user32 advapi32 kernel32)
target_compile_options(plugin_win32 PRIVATE ${WARNINGS} ${PLUGIN_DEBUG_INFO})

# Resources: the dialog templates, and the bitmap drawn from its text source.
set(CARD_BITMAP ${CMAKE_BINARY_DIR}/cardidlist.bmp)
set(CARD_BITMAP_SOURCE ${CMAKE_SOURCE_DIR}/resources/cardidlist.txt)
set(CARD_BITMAP_DRAWER ${CMAKE_SOURCE_DIR}/resources/draw_cardidlist.py)
add_custom_command(OUTPUT ${CARD_BITMAP}
  COMMAND python3 ${CARD_BITMAP_DRAWER} ${CARD_BITMAP_SOURCE} ${CARD_BITMAP}
  DEPENDS ${CARD_BITMAP_DRAWER} ${CARD_BITMAP_SOURCE})
add_custom_target(card_bitmap DEPENDS ${CARD_BITMAP})
file(GLOB RESOURCE_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
# CMake does not see the bitmap that the script includes; recompile it when redrawn.
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/cardidlist.rc
  PROPERTIES OBJECT_DEPENDS ${CARD_BITMAP})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR} -I${CMAKE_SOURCE_DIR}")

add_library(CSPlugin SHARED ${ENTRY_SOURCE} ${RESOURCE_SCRIPTS} ${CMAKE_SOURCE_DIR}/host/plugin.def)
add_dependencies(CSPlugin card_bitmap)
set_target_properties(CSPlugin PROPERTIES PREFIX "" OUTPUT_NAME "CSPlugin")
target_link_libraries(CSPlugin PRIVATE plugin_win32)
target_compile_options(CSPlugin PRIVATE ${WARNINGS} ${PLUGIN_DEBUG_INFO})
# The module-wide variables of the DLL's own objects, against the list of those allowed.
add_test(NAME module_globals
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/module_state/module_globals.py ${CMAKE_NM}
                 $<TARGET_FILE:plugin_win32> "$<FILTER:$<TARGET_OBJECTS:CSPlugin>,INCLUDE,\\.obj$>"
         COMMAND_EXPAND_LISTS)

# Drives the dialogs from a second thread: the station simulator's scripts and the tests.
add_library(dialog_driver STATIC ${CMAKE_SOURCE_DIR}/tools/dialog_driver/dialog_driver_win32.cpp)
target_include_directories(dialog_driver PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dialog_driver PUBLIC user32 gdi32)
target_compile_options(dialog_driver PRIVATE ${WARNINGS})

add_subdirectory(tools/station_sim)
add_subdirectory(tools/reconcile)

# GoogleTest from the Debian source package, cross-built.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(win32_tests ${WIN32_TEST_SOURCES})
# crypt32 and advapi32: the tests read certificates and set folders' access themselves.
target_link_libraries(win32_tests PRIVATE plugin_win32 dialog_driver gtest version crypt32 advapi32)
target_include_directories(win32_tests PRIVATE ${CMAKE_BINARY_DIR})
target_compile_options(win32_tests PRIVATE ${WARNINGS})
# The test program is a station program too: it exports GetStationFunctions.
set_target_properties(win32_tests PROPERTIES ENABLE_EXPORTS ON)
add_dependencies(win32_tests CSPlugin)
# Run under Wine by ctest (scripts/wine_session.sh sets up the environment), with the
# gateway stand-ins (the native gateway simulator and a capture listener) around it.
set(GATEWAY_SIM ${CMAKE_SOURCE_DIR}/build/native/tools/gateway_sim/gateway_sim
    CACHE FILEPATH "The native gateway simulator the Win32 tests talk to")
# First the Wine it runs in (tests/win32/wine_lane_win32_test.cpp): faults and child
# processes, which the emulated 32-bit lane must get right before anything else can.
add_test(NAME wine_lane COMMAND wine $<TARGET_FILE:win32_tests> --gtest_filter=WineLane.* --gtest_brief=1)
set_tests_properties(wine_lane PROPERTIES FAIL_REGULAR_EXPRESSION "PASSED  \\] 0 tests")
add_test(NAME win32_tests
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/run_with_gateways.sh --sim ${GATEWAY_SIM}
                 --work ${CMAKE_BINARY_DIR}/gateways -- wine $<TARGET_FILE:win32_tests> --gtest_filter=-WineLane.*)
# The write-ahead rule against a full, read-only, held, damaged or shared folder: the
# real plug-in under the station simulator, with strace and tmpfs where the attack needs
# them, every request the gateway received checked against the plug-in's journal.
add_executable(HoldFile ${CMAKE_SOURCE_DIR}/tests/win32/holder/hold_file_win32.cpp)
add_test(NAME write_ahead_attacks
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/write_ahead_attacks.sh --sim ${GATEWAY_SIM}
                 --build ${CMAKE_BINARY_DIR})
# What the DLL's attach calls, from Wine's relay trace: it fails on a library loaded, a
# crypto provider above all, under the loader lock.
add_test(NAME attach_calls
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/win32/check_attach.py $<TARGET_FILE:StationSim>
                 $<TARGET_FILE:CSPlugin>)
# The dialogs' screenshots the Win32 tests leave in artefacts/, as PNG.
add_test(NAME win32_screenshots
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/screenshots_to_png.sh ${CMAKE_BINARY_DIR}/artefacts)
set_tests_properties(win32_screenshots PROPERTIES DEPENDS win32_tests)
set_tests_properties(wine_lane win32_tests write_ahead_attacks win32_screenshots attach_calls PROPERTIES LABELS wine)

include(cmake/package.cmake)

# The time-zone code, once per zone: the test program in a mount namespace of its own
# with the zone's file over /etc/localtime (scripts/in_zone.sh), expecting the code in
# STATION_TEST_ZONE_CODE. A run in which the test was skipped or not found fails.
set(TIME_ZONE_CODES
    America/Chicago=706 America/Denver=707 America/Los_Angeles=708
    Europe/London=705 Europe/Berlin=706)
foreach(row IN LISTS TIME_ZONE_CODES)
  string(REPLACE "=" ";" row ${row})
  list(GET row 0 zone)
  list(GET row 1 code)
  add_test(NAME time_zone_${zone}
           COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/in_zone.sh ${zone} --
                   wine $<TARGET_FILE:win32_tests> --gtest_filter=TimeZoneCode.* --gtest_brief=1)
  set_tests_properties(time_zone_${zone} PROPERTIES
                       ENVIRONMENT STATION_TEST_ZONE_CODE=${code} LABELS wine
                       FAIL_REGULAR_EXPRESSION "PASSED  \\] 0 tests|SKIPPED")
endforeach()

# The dialogs' placement once more at 144 DPI, where the configuration dialog is half as
# large again: owners at each edge of the 1024 x 768 screen. The prefix's LogPixels is
# set for this run alone (scripts/at_dpi.sh), so no other entry may run beside it.
add_test(NAME placement_dpi_144
         COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/at_dpi.sh 144 --
                 wine $<TARGET_FILE:win32_tests> --gtest_brief=1
                 --gtest_filter=PaintingWin32Test.CenterOnOwner*:ConfigureDialogWin32Test.IsCentred*:ConfigureDialogWin32Test.StaysOnTheScreen*)
set_tests_properties(placement_dpi_144 PROPERTIES
                     ENVIRONMENT STATION_TEST_DPI=144 LABELS wine RUN_SERIAL TRUE
                     FAIL_REGULAR_EXPRESSION "PASSED  \\] [0-2] tests?\\.|SKIPPED")

# The entries that show windows share the session's one X display (and its focus and
# screen, which the dialog tests read): they run one at a time, while ctest -j2 runs the
# others beside them.
set_tests_properties(win32_tests write_ahead_attacks release_package release_msi PROPERTIES RESOURCE_LOCK display)
# Every entry that runs under Wine needs the Wine checked by wine_lane: when that fails,
# they are not run (ctest -R pulls wine_lane in by itself).
set_tests_properties(wine_lane PROPERTIES FIXTURES_SETUP wine)
get_property(all_tests DIRECTORY PROPERTY TESTS)
foreach(entry IN LISTS all_tests)
  get_test_property(${entry} LABELS labels)
  if("wine" IN_LIST labels AND NOT entry STREQUAL "wine_lane")
    set_tests_properties(${entry} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endforeach()

# The completion benchmark (scripts/bench_completion.sh), built only when asked for:
# the plug-in as it was before the worker's notice, which completes at the next tick
# only (the benchmark's own stand-in for the notice replaces the product's), and the
# bare exchange over WinINet.
set(NOTICE_SOURCE ${CMAKE_SOURCE_DIR}/dialogs/job_notice_win32.cpp)
set(TICK_ONLY_SOURCES ${CORE_SOURCES} ${WIN32_SOURCES})
list(REMOVE_ITEM TICK_ONLY_SOURCES ${NOTICE_SOURCE})
add_library(plugin_win32_tick_only STATIC EXCLUDE_FROM_ALL ${TICK_ONLY_SOURCES}
            ${CMAKE_SOURCE_DIR}/tests/bench/win32/job_notice_tick_only_win32.cpp)
target_include_directories(plugin_win32_tick_only PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
target_link_libraries(plugin_win32_tick_only PUBLIC comctl32 wininet gdi32 user32 kernel32)
target_compile_options(plugin_win32_tick_only PRIVATE ${WARNINGS})
add_library(CSPluginTickOnly SHARED EXCLUDE_FROM_ALL ${ENTRY_SOURCE} ${RESOURCE_SCRIPTS}
            ${CMAKE_SOURCE_DIR}/host/plugin.def)
add_dependencies(CSPluginTickOnly card_bitmap)
set_target_properties(CSPluginTickOnly PROPERTIES PREFIX "" OUTPUT_NAME "CSPlugin_TickOnly")
target_link_libraries(CSPluginTickOnly PRIVATE plugin_win32_tick_only)
add_executable(exchange_bench EXCLUDE_FROM_ALL
               ${CMAKE_SOURCE_DIR}/tests/bench/win32/exchange_bench_win32.cpp)
target_link_libraries(exchange_bench PRIVATE plugin_win32)
target_compile_options(exchange_bench PRIVATE ${WARNINGS})

# What the write-ahead rule adds to a charge (tests/bench/win32/store_bench_win32.cpp),
# built only when asked for: `cmake --build build/win32 --target store_bench`.
add_executable(store_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/bench/win32/store_bench_win32.cpp)
target_link_libraries(store_bench PRIVATE plugin_win32)
target_compile_options(store_bench PRIVATE ${WARNINGS})
