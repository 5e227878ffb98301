find_package(Threads REQUIRED)
add_executable(bench_com ${CMAKE_CURRENT_LIST_DIR}/com_bench.cpp)
target_link_libraries(bench_com PRIVATE COM benchmark::benchmark_main Threads::Threads)
