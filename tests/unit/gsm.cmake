# The GSM modem driver: its AT dialogue and session steps on a virtual clock
# against a scripted modem (both targets).
zorvel_add_test(NAME gsm_dialogue_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gsm_dialogue_test.cpp
  LIBS zorvel_gsm_engine)

# The same against the simulator's modem and board (a native tool).
if(TARGET boardsim_core)
  zorvel_add_test(NAME gsm_sim_test NATIVE_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/gsm_sim_test.cpp
    LIBS zorvel_gsm_engine boardsim_core)
  # The worker thread in real time (short timings) against the same modem.
  zorvel_add_test(NAME gsm_worker_test NATIVE_ONLY THREADED
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/gsm_worker_test.cpp
    LIBS zorvel_gsm_engine boardsim_core)
endif()
