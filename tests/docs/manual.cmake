# The operator's manual, checked once, in the native tree (it needs no program).
if(NOT WIN32)
  add_test(NAME manual_document COMMAND ${CMAKE_CURRENT_LIST_DIR}/manual_test.sh ${PROJECT_SOURCE_DIR})
  set_tests_properties(manual_document PROPERTIES TIMEOUT 120)
endif()
