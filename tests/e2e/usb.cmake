# zorvelctl --usb against boardsim through the D2XX double, over TCP and over
# the simulator's pseudo-terminal: natively (not in the TSan tree) and the
# Windows client under Wine.
if(ZORVEL_SANITIZE STREQUAL "thread")
  return()
endif()
if(WIN32)
  set(usb_e2e_wine --wine-run ${ZORVEL_WINE_RUN})
  set(usb_e2e_prefix e2e_usb_zorvelctl_wine)
else()
  set(usb_e2e_wine)
  set(usb_e2e_prefix e2e_usb_zorvelctl)
endif()
foreach(link tcp pty)
  add_test(NAME ${usb_e2e_prefix}_${link}
    COMMAND ${ZORVEL_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/usb_e2e.py --zorvelctl $<TARGET_FILE:zorvelctl>
            ${usb_e2e_wine} --boardsim ${ZORVEL_BOARDSIM} --link ${link})
  set_tests_properties(${usb_e2e_prefix}_${link} PROPERTIES TIMEOUT 600 LABELS e2e SKIP_RETURN_CODE 77
                       RESOURCE_LOCK zorvel_program_ini)
  zorvel_use_ftd2xx_double(${usb_e2e_prefix}_${link})
endforeach()
