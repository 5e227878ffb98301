# The time line of the brightness dialog: layout, drags, colours, labels.
zorvel_add_test(NAME timeline_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/timeline_test.cpp LIBS zorvel_timeline)
