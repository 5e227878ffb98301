# The GSM modem driver: its AT dialogue and session steps on a virtual clock
# against a scripted modem (both targets).
zorvel_add_test(NAME gsm_dialogue_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gsm_dialogue_test.cpp
  LIBS zorvel_gsm_engine)
