# zorvelctl's fleet form against several boardsim processes: natively (TCP
# and a shared pseudo-terminal), and the Windows client under Wine over TCP.
# The simulator is native; the win tree takes it as zorvelctl.cmake does.
if(NOT ZORVEL_TESTS OR NOT TARGET zorvelctl)
  return()
endif()
find_program(ZORVEL_PYTHON3 python3 REQUIRED)
set(zorvel_fleet_driver ${CMAKE_CURRENT_LIST_DIR}/fleet_e2e.py)

if(NOT WIN32)
  if(ZORVEL_SANITIZE STREQUAL "thread")
    return()
  endif()
  add_test(NAME e2e_zorvelctl_fleet
    COMMAND ${ZORVEL_PYTHON3} ${zorvel_fleet_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
            --boardsim $<TARGET_FILE:boardsim>)
  set_tests_properties(e2e_zorvelctl_fleet PROPERTIES TIMEOUT 300 LABELS e2e)
else()
  set(fleet_boardsim_candidates ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
                                ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim
                                ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
  add_test(NAME e2e_zorvelctl_wine_fleet
    COMMAND ${ZORVEL_PYTHON3} ${zorvel_fleet_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
            --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run --boardsim ${fleet_boardsim_candidates} --suite wine)
  set_tests_properties(e2e_zorvelctl_wine_fleet PROPERTIES TIMEOUT 600 LABELS e2e)
endif()
