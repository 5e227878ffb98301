# cFTD, the USB adapter transport, over the D2XX driver double: natively (the
# threaded cases under TSan as well) and under Wine. usb_test runs with
# boardsim on a TCP port (usb_with_boardsim.py); the Windows tree takes a
# native boardsim from a native build, as the other end-to-end tests do.
if(NOT ZORVEL_TESTS OR NOT TARGET FTD)
  return()
endif()
include(${PROJECT_SOURCE_DIR}/tests/doubles/ftd2xx/ftd2xx.cmake)
find_program(ZORVEL_PYTHON3 python3 REQUIRED)

# The driver installer the tests start: sleeps, notes its start and end.
add_executable(usb_dummy_installer ${CMAKE_CURRENT_LIST_DIR}/usb_dummy_installer.cpp)

# Registered by hand rather than with zorvel_add_test: the test program runs
# under the boardsim wrapper. Threaded (the reading thread, the installer's watch).
add_executable(usb_test ${CMAKE_CURRENT_LIST_DIR}/usb_test.cpp)
target_link_libraries(usb_test PRIVATE FTD zorvel_compat zorvel_gtest_main)
target_include_directories(usb_test PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
add_dependencies(usb_test usb_dummy_installer)
if(WIN32)
  set(usb_test_launcher ${PROJECT_SOURCE_DIR}/cmake/wine-run)
  set(usb_boardsim ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
      ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
else()
  set(usb_test_launcher)
  set(usb_boardsim $<TARGET_FILE:boardsim>)
  add_dependencies(usb_test boardsim)
endif()
add_test(NAME usb_test
  COMMAND ${ZORVEL_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/usb_with_boardsim.py --boardsim ${usb_boardsim}
          -- ${usb_test_launcher} $<TARGET_FILE:usb_test> --gtest_brief=1)
set_tests_properties(usb_test PROPERTIES TIMEOUT 300 LABELS threaded)
zorvel_use_ftd2xx_double(usb_test TARGET usb_test)

# Without the driver library: nothing puts the double on the search path.
zorvel_add_test(NAME usb_no_driver_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/usb_no_driver_test.cpp
  LIBS FTD zorvel_compat)
