zorvel_add_test(NAME protocol_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/protocol_test.cpp LIBS zorvel_protocol)
