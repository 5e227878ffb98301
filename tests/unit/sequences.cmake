# The sequences run against a double of the dispatch on a virtual clock.
zorvel_add_test(NAME sequences_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sequences_test.cpp ${CMAKE_CURRENT_LIST_DIR}/link_fake.cpp
  LIBS zorvel_sequences)
