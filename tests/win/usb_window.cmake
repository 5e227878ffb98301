# The main window on the USB adapter under Wine, without and then with the
# D2XX double, against boardsim. The test program starts without the double
# on its search path and adds it itself.
zorvel_add_test(NAME usb_window_test WIN_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/usb_window_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms zorvel_ui_support zorvel_test_support
  WRAPPER ${ZORVEL_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/integration/usb_with_boardsim.py --boardsim ${ZORVEL_BOARDSIM})
add_dependencies(usb_window_test ftd2xx)
string(REPLACE "/" "\\" usb_window_double_dir "Z:${ZORVEL_FTD2XX_DOUBLE_DIR}")
set_tests_properties(usb_window_test PROPERTIES LABELS e2e RESOURCE_LOCK zorvel_program_ini
                     ENVIRONMENT "ZORVEL_FTD2XX_DOUBLE_DIR=${usb_window_double_dir}")
