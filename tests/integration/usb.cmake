# cFTD, the USB adapter transport, over the D2XX driver double with boardsim
# on a TCP port behind it (usb_with_boardsim.py starts it): natively (the
# threaded cases under TSan as well) and under Wine. Threaded: the reading
# thread, the driver installer's watch.
zorvel_add_test(NAME usb_test THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/usb_test.cpp
  LIBS FTD zorvel_test_support
  WRAPPER ${ZORVEL_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/usb_with_boardsim.py --boardsim ${ZORVEL_BOARDSIM})
add_dependencies(usb_test usb_dummy_installer)
zorvel_use_ftd2xx_double(usb_test TARGET usb_test)
