# The address split of the TCP library and zorvelctl's command line. (boardsim's
# command line hangs inside CLI11's option groups on some argument vectors:
# its target returns once that is fixed.)
if(ZORVEL_SANITIZE STREQUAL "fuzzer")
  add_executable(fuzz_ipv4_split ${CMAKE_CURRENT_LIST_DIR}/ipv4_split_fuzz.cpp)
  target_link_libraries(fuzz_ipv4_split PRIVATE ravlo zorvel_compat)
  target_link_options(fuzz_ipv4_split PRIVATE -fsanitize=fuzzer)
  add_executable(fuzz_zorvelctl_args ${CMAKE_CURRENT_LIST_DIR}/zorvelctl_args_fuzz.cpp)
  target_link_libraries(fuzz_zorvelctl_args PRIVATE zorvelctl_host)
  target_link_options(fuzz_zorvelctl_args PRIVATE -fsanitize=fuzzer)
endif()
