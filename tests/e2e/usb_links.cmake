# zorvelctl --gsm and --radio end to end: through the USB adapter's driver
# double to boardsim in modem and radio mode, natively (not in the TSan tree)
# and the Windows client under Wine.
if(ZORVEL_SANITIZE STREQUAL "thread")
  return()
endif()
add_dependencies(zorvelctl ftd2xx)
if(WIN32)
  set(usb_links_wine --wine-run ${ZORVEL_WINE_RUN})
  set(usb_links_suffix _wine)
else()
  set(usb_links_wine)
  set(usb_links_suffix)
endif()
foreach(link gsm radio)
  add_test(NAME e2e_${link}_zorvelctl${usb_links_suffix}
    COMMAND ${ZORVEL_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/usb_links_e2e.py --zorvelctl $<TARGET_FILE:zorvelctl>
            ${usb_links_wine} --boardsim ${ZORVEL_BOARDSIM} --double-dir ${ZORVEL_FTD2XX_DOUBLE_DIR} --link ${link})
  set_tests_properties(e2e_${link}_zorvelctl${usb_links_suffix} PROPERTIES TIMEOUT 600 LABELS e2e SKIP_RETURN_CODE 77
                       RESOURCE_LOCK zorvel_program_ini)
endforeach()
