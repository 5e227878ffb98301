# The settings dialog's rules that need no window.
zorvel_add_test(NAME settvalues_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settvalues_test.cpp
  LIBS zorvel_settvalues)
