# Closing the main window during an exchange, over the real transports.
zorvel_add_test(NAME ui_close_test WIN_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_close_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms zorvel_ui_support zorvel_test_support ws2_32)
set_tests_properties(ui_close_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)
