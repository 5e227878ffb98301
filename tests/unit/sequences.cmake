# The sequences run against a double of the dispatch on a virtual clock.
zorvel_add_test(NAME sequences_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sequences_test.cpp ${ZORVEL_LINK_FAKE}
  LIBS zorvel_sequences)
