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

# cGSM over the real USB adapter component, the D2XX double and boardsim as
# the modem (natively and under Wine with a native build's boardsim; threaded:
# the adapter's reader and the modem's worker). Registered by hand: the test
# program runs under the wrapper that starts the simulators.
if(ZORVEL_TESTS AND TARGET FTD)
  include(${PROJECT_SOURCE_DIR}/tests/doubles/ftd2xx/ftd2xx.cmake)
  find_program(ZORVEL_PYTHON3 python3 REQUIRED)
  add_executable(gsm_component_test ${CMAKE_CURRENT_LIST_DIR}/gsm_component_test.cpp)
  target_link_libraries(gsm_component_test PRIVATE GSM FTD zorvel_compat zorvel_gtest_main)
  target_include_directories(gsm_component_test PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  if(WIN32)
    set(gsm_component_launcher ${PROJECT_SOURCE_DIR}/cmake/wine-run)
    set(gsm_component_boardsim ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
        ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
  else()
    set(gsm_component_launcher)
    set(gsm_component_boardsim $<TARGET_FILE:boardsim>)
    add_dependencies(gsm_component_test boardsim)
  endif()
  add_test(NAME gsm_component_test
    COMMAND ${ZORVEL_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/e2e/usb_links_with_simulators.py
            --boardsim ${gsm_component_boardsim} -- ${gsm_component_launcher} $<TARGET_FILE:gsm_component_test>
            --gtest_brief=1)
  set_tests_properties(gsm_component_test PROPERTIES TIMEOUT 300 LABELS threaded SKIP_RETURN_CODE 77)
  zorvel_use_ftd2xx_double(gsm_component_test TARGET gsm_component_test)
endif()
