# zorvelctl against boardsim, end to end: natively over TCP and a
# pseudo-terminal (not in the TSan tree), and the Windows client under Wine
# over TCP and over a COM port mapped to the simulator's pseudo-terminal.
if(ZORVEL_SANITIZE STREQUAL "thread")
  return()
endif()
set(zorvel_e2e_driver ${CMAKE_CURRENT_LIST_DIR}/zorvelctl_e2e.py)
if(WIN32)
  foreach(link tcp com)
    add_test(NAME e2e_zorvelctl_wine_${link}
      COMMAND ${ZORVEL_PYTHON3} ${zorvel_e2e_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
              --wine-run ${ZORVEL_WINE_RUN} --boardsim ${ZORVEL_BOARDSIM} --link ${link} --suite wine)
    set_tests_properties(e2e_zorvelctl_wine_${link} PROPERTIES TIMEOUT 600 LABELS e2e RESOURCE_LOCK zorvel_program_ini)
  endforeach()
else()
  foreach(link tcp pty)
    add_test(NAME e2e_zorvelctl_${link}
      COMMAND ${ZORVEL_PYTHON3} ${zorvel_e2e_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
              --boardsim ${ZORVEL_BOARDSIM} --link ${link})
    set_tests_properties(e2e_zorvelctl_${link} PROPERTIES TIMEOUT 300 LABELS e2e RESOURCE_LOCK zorvel_program_ini)
  endforeach()
endif()
