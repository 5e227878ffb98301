# zorvelctl's fleet form against several boardsim processes: natively (TCP
# and a shared pseudo-terminal; not in the TSan tree), and the Windows client
# under Wine over TCP.
if(ZORVEL_SANITIZE STREQUAL "thread")
  return()
endif()
set(zorvel_fleet_driver ${CMAKE_CURRENT_LIST_DIR}/fleet_e2e.py)
if(WIN32)
  add_test(NAME e2e_zorvelctl_wine_fleet
    COMMAND ${ZORVEL_PYTHON3} ${zorvel_fleet_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
            --wine-run ${ZORVEL_WINE_RUN} --boardsim ${ZORVEL_BOARDSIM} --suite wine)
  set_tests_properties(e2e_zorvelctl_wine_fleet PROPERTIES TIMEOUT 600 LABELS e2e RESOURCE_LOCK zorvel_program_ini)
else()
  add_test(NAME e2e_zorvelctl_fleet
    COMMAND ${ZORVEL_PYTHON3} ${zorvel_fleet_driver} --zorvelctl $<TARGET_FILE:zorvelctl> --boardsim ${ZORVEL_BOARDSIM})
  set_tests_properties(e2e_zorvelctl_fleet PROPERTIES TIMEOUT 300 LABELS e2e RESOURCE_LOCK zorvel_program_ini)
endif()
