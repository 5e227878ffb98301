# The USB, GSM and radio stand-ins: no device, own messages, own settings.
zorvel_add_test(NAME transports_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transports_test.cpp
  LIBS FTD GSM RFM zorvel_test_support)
