# The window pictures of the operator's manual that only the forms over the
# recording transports can show (docs/manual/capture_windows.sh runs the tool
# for them). Run as a test too, so that a form that no longer shows or draws
# fails here and not first when the manual is rebuilt.
add_executable(manual_windows ${CMAKE_CURRENT_LIST_DIR}/manual_windows.cpp $<TARGET_OBJECTS:zorvel_resources>)
target_link_libraries(manual_windows PRIVATE zorvel_forms_fakes zorvel_ui_support zorvel_test_support_fakes
                      zorvel_gsm_engine)
string(REPLACE "/" "\\" manual_windows_out "Z:${CMAKE_BINARY_DIR}/manual-windows")
add_test(NAME manual_windows COMMAND manual_windows ${manual_windows_out})
set_tests_properties(manual_windows PROPERTIES TIMEOUT 120 RESOURCE_LOCK zorvel_program_ini)
