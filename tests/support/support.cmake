# The helpers every test shares (support.h), built twice: over the real
# transport libraries, and over the recording fakes for the tests that link
# those instead (their classes are then the test program's own).
foreach(variant real fakes)
  if(variant STREQUAL "real")
    set(target zorvel_test_support)
    set(transports COM FTD GSM RFM ravlo)
  else()
    set(target zorvel_test_support_fakes)
    set(transports zorvel_fake_transports)
  endif()
  add_library(${target} STATIC ${CMAKE_CURRENT_LIST_DIR}/support.cpp)
  target_link_libraries(${target} PUBLIC zorvel_compat zorvel_test_headers ${transports})
endforeach()
