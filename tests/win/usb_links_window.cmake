# The main window on interfaces 3 (GSM modem) and 4 (radio module) under
# Wine, through the D2XX double to boardsim in modem and radio mode (a native
# build's boardsim, as the other window end-to-end tests take it).
if(NOT WIN32 OR NOT ZORVEL_TESTS OR NOT TARGET zorvel_forms OR NOT TARGET FTD)
  return()
endif()
include(${PROJECT_SOURCE_DIR}/tests/doubles/ftd2xx/ftd2xx.cmake)
find_program(ZORVEL_PYTHON3 python3 REQUIRED)

add_executable(usb_links_window_test ${CMAKE_CURRENT_LIST_DIR}/usb_links_window_test.cpp
               ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp $<TARGET_OBJECTS:zorvel_resources>)
target_link_libraries(usb_links_window_test PRIVATE zorvel_forms zorvel_gtest_main)
target_include_directories(usb_links_window_test PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(usb_links_window_test ftd2xx)
set(usb_links_window_boardsim ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
    ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
add_test(NAME usb_links_window_test
  COMMAND ${ZORVEL_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/e2e/usb_links_with_simulators.py --boardsim ${usb_links_window_boardsim}
          -- ${PROJECT_SOURCE_DIR}/cmake/wine-run $<TARGET_FILE:usb_links_window_test> --gtest_brief=1)
set_tests_properties(usb_links_window_test PROPERTIES TIMEOUT 300 LABELS e2e RESOURCE_LOCK zorvel_program_ini
                     SKIP_RETURN_CODE 77)
zorvel_use_ftd2xx_double(usb_links_window_test)
