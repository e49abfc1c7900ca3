# Windows (mingw-w64 i686) build: the plug-in DLL, the station simulator, the
# fallback host and the Win32 test program.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# The Win32 layer minus the entry point, so that tests can link it as well.
set(ENTRY_SOURCE ${CMAKE_SOURCE_DIR}/host/plugin_entry_win32.cpp)
list(REMOVE_ITEM WIN32_SOURCES ${ENTRY_SOURCE})
add_library(plugin_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(plugin_win32 PUBLIC plugin_core comctl32 wininet gdi32 user32 kernel32)
target_compile_options(plugin_win32 PRIVATE ${WARNINGS})

# Resources: the dialog templates, and the bitmap drawn from its text source.
set(CARD_BITMAP ${CMAKE_BINARY_DIR}/cardidlist.bmp)
add_custom_command(OUTPUT ${CARD_BITMAP}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/resources/draw_cardidlist.py
          ${CMAKE_SOURCE_DIR}/resources/cardidlist.txt ${CARD_BITMAP}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/draw_cardidlist.py ${CMAKE_SOURCE_DIR}/resources/cardidlist.txt)
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
target_compile_options(CSPlugin PRIVATE ${WARNINGS})

foreach(tool station_sim fallback_host)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tools/${tool}/CMakeLists.txt)
    add_subdirectory(tools/${tool})
  endif()
endforeach()

# GoogleTest from the Debian source package, cross-built.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(win32_tests ${WIN32_TEST_SOURCES})
target_link_libraries(win32_tests PRIVATE plugin_win32 gtest)
target_compile_options(win32_tests PRIVATE ${WARNINGS})
# The test program is a station program too: it exports GetStationFunctions.
set_target_properties(win32_tests PROPERTIES ENABLE_EXPORTS ON)
add_dependencies(win32_tests CSPlugin)
