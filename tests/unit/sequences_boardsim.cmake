# The board simulator's controller logic (the simulator is a Linux tool).
if(NOT WIN32)
  zorvel_add_test(NAME boardsim_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/boardsim_test.cpp
    LIBS boardsim_core zorvel_protocol NATIVE_ONLY)
endif()
