# zorvelctl --gsm and --radio end to end: through the USB adapter's driver
# double to boardsim in modem and radio mode, natively and (the Windows
# client) under Wine. The simulator is a native program: the win tree takes
# it from a native build, as the other end-to-end tests do.
if(NOT ZORVEL_TESTS OR NOT TARGET zorvelctl OR NOT TARGET FTD)
  return()
endif()
include(${PROJECT_SOURCE_DIR}/tests/doubles/ftd2xx/ftd2xx.cmake)
find_program(ZORVEL_PYTHON3 python3 REQUIRED)
set(usb_links_driver ${CMAKE_CURRENT_LIST_DIR}/usb_links_e2e.py)
add_dependencies(zorvelctl ftd2xx)

if(NOT WIN32)
  if(ZORVEL_SANITIZE STREQUAL "thread")
    return()
  endif()
  foreach(link gsm radio)
    add_test(NAME e2e_${link}_zorvelctl
      COMMAND ${ZORVEL_PYTHON3} ${usb_links_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
              --boardsim $<TARGET_FILE:boardsim> --double-dir ${ZORVEL_FTD2XX_DOUBLE_DIR} --link ${link})
    set_tests_properties(e2e_${link}_zorvelctl PROPERTIES TIMEOUT 400 LABELS e2e)
  endforeach()
else()
  set(usb_links_boardsim ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
      ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
  foreach(link gsm radio)
    add_test(NAME e2e_${link}_zorvelctl_wine
      COMMAND ${ZORVEL_PYTHON3} ${usb_links_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
              --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run --boardsim ${usb_links_boardsim}
              --double-dir ${ZORVEL_FTD2XX_DOUBLE_DIR} --link ${link})
    set_tests_properties(e2e_${link}_zorvelctl_wine PROPERTIES TIMEOUT 600 LABELS e2e SKIP_RETURN_CODE 77)
  endforeach()
endif()
