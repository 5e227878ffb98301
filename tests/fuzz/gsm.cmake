# The GSM modem's AT lines and dialogue.
if(ZORVEL_SANITIZE STREQUAL "fuzzer")
  add_executable(fuzz_gsm_lines ${CMAKE_CURRENT_LIST_DIR}/gsm_lines_fuzz.cpp)
  target_link_libraries(fuzz_gsm_lines PRIVATE zorvel_gsm_engine)
  target_link_options(fuzz_gsm_lines PRIVATE -fsanitize=fuzzer)
endif()
