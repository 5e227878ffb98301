# Closing the main window during an exchange, over the real transports.
if(WIN32 AND TARGET zorvel_forms)
  zorvel_add_test(NAME ui_close_test WIN_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_close_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
            $<TARGET_OBJECTS:zorvel_resources>
    LIBS zorvel_forms)
  if(TARGET ui_close_test)
    target_link_libraries(ui_close_test PRIVATE ws2_32)
    set_tests_properties(ui_close_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)
  endif()
endif()
