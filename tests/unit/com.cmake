# The serial port natively, against pseudo-terminal pairs the test creates
# (threaded: the port's reading thread).
zorvel_add_test(NAME com_test NATIVE_ONLY THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/com_test.cpp
  LIBS COM zorvel_test_support)
