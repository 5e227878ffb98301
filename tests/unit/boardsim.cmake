# The board simulator's controller logic (the simulator is a Linux tool).
zorvel_add_test(NAME boardsim_test NATIVE_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/boardsim_test.cpp
  LIBS boardsim_core zorvel_protocol)
