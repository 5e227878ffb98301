# The radio module driver: frames and the opening sequence over a recording
# adapter on a virtual clock (both targets).
zorvel_add_test(NAME rfm_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/rfm_test.cpp
  LIBS zorvel_rfm_engine)

# cRFM itself: its keys in the shared settings file, its members in the frame,
# its message boxes (both targets; the real profile functions under Wine).
zorvel_add_test(NAME rfm_component_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/rfm_component_test.cpp
  LIBS RFM zorvel_test_support)
