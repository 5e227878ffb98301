# The board simulator's controller logic and command line (the simulator is a
# Linux tool). A command line that makes the parse hang fails by the time-out.
zorvel_add_test(NAME boardsim_test NATIVE_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/boardsim_test.cpp
  LIBS boardsim_core zorvel_protocol)
zorvel_add_test(NAME boardsim_command_line_test NATIVE_ONLY TIMEOUT 30
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/boardsim_command_line_test.cpp
  LIBS boardsim_command_line)
