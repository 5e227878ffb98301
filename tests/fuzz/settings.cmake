# The number conversions the settings dialog's OK makes.
if(ZORVEL_SANITIZE STREQUAL "fuzzer")
  add_executable(fuzz_settings_numbers ${CMAKE_CURRENT_LIST_DIR}/settings_numbers_fuzz.cpp)
  target_link_libraries(fuzz_settings_numbers PRIVATE zorvel_settvalues)
  target_link_options(fuzz_settings_numbers PRIVATE -fsanitize=fuzzer)
endif()
