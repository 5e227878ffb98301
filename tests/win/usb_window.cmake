# The main window on the USB adapter under Wine, without and then with the
# D2XX double, against boardsim (a native build's, as the other window
# end-to-end test takes it). The test program starts without the double on
# its search path and adds it itself.
if(NOT WIN32 OR NOT ZORVEL_TESTS OR NOT TARGET zorvel_forms OR NOT TARGET FTD)
  return()
endif()
include(${PROJECT_SOURCE_DIR}/tests/doubles/ftd2xx/ftd2xx.cmake)
find_program(ZORVEL_PYTHON3 python3 REQUIRED)

add_executable(usb_window_test ${CMAKE_CURRENT_LIST_DIR}/usb_window_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
               $<TARGET_OBJECTS:zorvel_resources>)
target_link_libraries(usb_window_test PRIVATE zorvel_forms zorvel_gtest_main)
target_include_directories(usb_window_test PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(usb_window_test ftd2xx)
set(usb_window_boardsim ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
    ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
add_test(NAME usb_window_test
  COMMAND ${ZORVEL_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/unit/usb_with_boardsim.py --boardsim ${usb_window_boardsim}
          -- ${PROJECT_SOURCE_DIR}/cmake/wine-run $<TARGET_FILE:usb_window_test> --gtest_brief=1)
string(REPLACE "/" "\\" usb_window_double_dir "Z:${ZORVEL_FTD2XX_DOUBLE_DIR}")
set_tests_properties(usb_window_test PROPERTIES TIMEOUT 300 LABELS e2e RESOURCE_LOCK zorvel_program_ini
                     ENVIRONMENT "ZORVEL_FTD2XX_DOUBLE_DIR=${usb_window_double_dir}")
