# The radio module's answers.
if(ZORVEL_SANITIZE STREQUAL "fuzzer")
  add_executable(fuzz_radio_answer ${CMAKE_CURRENT_LIST_DIR}/radio_answer_fuzz.cpp)
  target_link_libraries(fuzz_radio_answer PRIVATE zorvel_rfm_engine)
  target_link_options(fuzz_radio_answer PRIVATE -fsanitize=fuzzer)
endif()
