# zorvelctl --usb against boardsim through the D2XX double, over TCP and over
# the simulator's pseudo-terminal: natively (not in the TSan tree) and the
# Windows client under Wine, which takes boardsim from a native build.
if(NOT ZORVEL_TESTS OR NOT TARGET zorvelctl OR NOT TARGET FTD OR ZORVEL_SANITIZE STREQUAL "thread")
  return()
endif()
include(${PROJECT_SOURCE_DIR}/tests/doubles/ftd2xx/ftd2xx.cmake)
find_program(ZORVEL_PYTHON3 python3 REQUIRED)

if(WIN32)
  set(usb_e2e_wine --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run)
  set(usb_e2e_boardsim ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
      ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
  set(usb_e2e_prefix e2e_usb_zorvelctl_wine)
else()
  set(usb_e2e_wine)
  set(usb_e2e_boardsim $<TARGET_FILE:boardsim>)
  set(usb_e2e_prefix e2e_usb_zorvelctl)
endif()
foreach(link tcp pty)
  add_test(NAME ${usb_e2e_prefix}_${link}
    COMMAND ${ZORVEL_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/usb_e2e.py --zorvelctl $<TARGET_FILE:zorvelctl>
            ${usb_e2e_wine} --boardsim ${usb_e2e_boardsim} --link ${link})
  set_tests_properties(${usb_e2e_prefix}_${link} PROPERTIES TIMEOUT 600 LABELS e2e SKIP_RETURN_CODE 77)
  zorvel_use_ftd2xx_double(${usb_e2e_prefix}_${link})
endforeach()
