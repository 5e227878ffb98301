# cFTD without the driver library: nothing puts the double on the search path.
zorvel_add_test(NAME usb_no_driver_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/usb_no_driver_test.cpp
  LIBS FTD zorvel_test_support)
