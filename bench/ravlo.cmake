# cRavlo over loopback: a command and its reply, and a whole connect-to-close cycle.
add_executable(bench_ravlo ${CMAKE_CURRENT_LIST_DIR}/ravlo_bench.cpp)
target_include_directories(bench_ravlo PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_ravlo PRIVATE ravlo benchmark::benchmark_main)
