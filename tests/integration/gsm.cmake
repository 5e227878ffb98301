# The GSM modem driver against the simulator's modem and board (a native
# tool): its steps on the virtual clock, and its worker thread in real time
# with short timings.
zorvel_add_test(NAME gsm_sim_test NATIVE_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gsm_sim_test.cpp
  LIBS zorvel_gsm_engine boardsim_core)
zorvel_add_test(NAME gsm_worker_test NATIVE_ONLY THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gsm_worker_test.cpp
  LIBS zorvel_gsm_engine boardsim_core)

# cGSM over the real USB adapter component, the D2XX double and boardsim as
# the modem, natively and under Wine (threaded: the adapter's reader and the
# modem's worker). The launcher starts the simulators first.
zorvel_add_test(NAME gsm_component_test THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gsm_component_test.cpp
  LIBS GSM FTD zorvel_test_support
  WRAPPER ${ZORVEL_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/e2e/usb_links_with_simulators.py --boardsim ${ZORVEL_BOARDSIM})
set_tests_properties(gsm_component_test PROPERTIES SKIP_RETURN_CODE 77)
zorvel_use_ftd2xx_double(gsm_component_test TARGET gsm_component_test)
