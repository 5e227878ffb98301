# zorvelctl against boardsim, end to end: natively over TCP and a
# pseudo-terminal (in the native trees with tests), and the Windows client
# under Wine over TCP and over a COM port mapped to the simulator's
# pseudo-terminal (in the win tree). The simulator is a native program: the
# win tree takes it from a native build (scripts/test builds native-asan
# first), or from ZORVEL_NATIVE_BOARDSIM.
if(NOT ZORVEL_TESTS OR NOT TARGET zorvelctl)
  return()
endif()
find_program(ZORVEL_PYTHON3 python3 REQUIRED)
set(zorvel_e2e_driver ${CMAKE_CURRENT_LIST_DIR}/zorvelctl_e2e.py)

if(NOT WIN32)
  if(ZORVEL_SANITIZE STREQUAL "thread")
    return()
  endif()
  foreach(link tcp pty)
    add_test(NAME e2e_zorvelctl_${link}
      COMMAND ${ZORVEL_PYTHON3} ${zorvel_e2e_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
              --boardsim $<TARGET_FILE:boardsim> --link ${link})
    set_tests_properties(e2e_zorvelctl_${link} PROPERTIES TIMEOUT 300 LABELS e2e)
  endforeach()
else()
  set(ZORVEL_NATIVE_BOARDSIM "" CACHE FILEPATH "boardsim of a native build, for the Windows end-to-end tests")
  set(boardsim_candidates)
  foreach(candidate ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
                    ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
    list(APPEND boardsim_candidates ${candidate})
  endforeach()
  foreach(link tcp com)
    add_test(NAME e2e_zorvelctl_wine_${link}
      COMMAND ${ZORVEL_PYTHON3} ${zorvel_e2e_driver} --zorvelctl $<TARGET_FILE:zorvelctl>
              --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run --boardsim ${boardsim_candidates}
              --link ${link} --suite wine)
    set_tests_properties(e2e_zorvelctl_wine_${link} PROPERTIES TIMEOUT 600 LABELS e2e)
  endforeach()
endif()
