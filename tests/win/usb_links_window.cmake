# The main window on interfaces 3 (GSM modem) and 4 (radio module) under
# Wine, through the D2XX double to boardsim in modem and radio mode.
zorvel_add_test(NAME usb_links_window_test WIN_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/usb_links_window_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms zorvel_ui_support zorvel_test_support
  WRAPPER ${ZORVEL_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/e2e/usb_links_with_simulators.py --boardsim ${ZORVEL_BOARDSIM})
set_tests_properties(usb_links_window_test PROPERTIES LABELS e2e RESOURCE_LOCK zorvel_program_ini SKIP_RETURN_CODE 77)
zorvel_use_ftd2xx_double(usb_links_window_test TARGET usb_links_window_test)
