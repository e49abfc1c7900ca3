# libFuzzer targets: every tests/fuzz/<name>_fuzz.cpp becomes the program <name>_fuzz,
# linked against the platform-free core and the in-memory seams, all built with
# AddressSanitizer and UndefinedBehaviorSanitizer. scripts/fuzz.sh builds and runs them.
# A new target (the card-text extraction one, for example) needs nothing here: drop
# tests/fuzz/card_text_fuzz.cpp, and seeds in tests/fuzz/corpus/card_text_fuzz/.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "FUZZ=ON needs clang: configure with CC=clang CXX=clang++")
endif()

set(FUZZ_COMPILE_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer -g -O1)
set(FUZZ_LINK_FLAGS -fsanitize=fuzzer,address,undefined)

add_library(plugin_core_fuzz STATIC ${CORE_SOURCES} ${FAKE_SOURCES})
target_include_directories(plugin_core_fuzz PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/tests/unit)
target_compile_options(plugin_core_fuzz PRIVATE ${FUZZ_COMPILE_FLAGS})

file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(src IN LISTS FUZZ_SOURCES)
  get_filename_component(target ${src} NAME_WE)
  add_executable(${target} ${src})
  target_link_libraries(${target} PRIVATE plugin_core_fuzz)
  target_compile_options(${target} PRIVATE ${FUZZ_COMPILE_FLAGS} ${WARNINGS})
  target_link_options(${target} PRIVATE ${FUZZ_LINK_FLAGS})
endforeach()
