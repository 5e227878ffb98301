# The private-profile conformance suite: natively it tests our Linux layer,
# built with MinGW it runs the real functions under Wine.
zorvel_add_test(NAME profile_conformance_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_conformance_test.cpp
  LIBS zorvel_compat)
