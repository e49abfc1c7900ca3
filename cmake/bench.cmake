# Google Benchmark programs: every tests/bench/*.cpp goes into the one program
# `benchmarks`, which prints nanoseconds per call. Speed is reported, never tested.
find_package(benchmark REQUIRED)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
add_executable(benchmarks ${BENCH_SOURCES})
target_link_libraries(benchmarks PRIVATE platform_fakes benchmark::benchmark benchmark::benchmark_main)
target_compile_options(benchmarks PRIVATE ${WARNINGS})
