# The seams every module shares: the kinds of message box and the shell.
zorvel_add_test(NAME compat_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/compat_test.cpp
  LIBS zorvel_test_support)
