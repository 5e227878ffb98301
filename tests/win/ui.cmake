# Window tests of the program, run under Wine. The resources (manifest,
# bitmaps) are linked in so the controls are those of the program.
if(WIN32 AND TARGET zorvel_widgets)
  zorvel_add_test(NAME ui_widgets_test WIN_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_widgets_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
            $<TARGET_OBJECTS:zorvel_resources>
    LIBS zorvel_widgets zorvel_emulation)
endif()
