add_executable(bench_protocol ${CMAKE_CURRENT_LIST_DIR}/protocol_bench.cpp)
target_link_libraries(bench_protocol PRIVATE zorvel_protocol benchmark::benchmark_main)
