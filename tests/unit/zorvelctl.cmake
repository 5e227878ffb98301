# zorvelctl's console host and reports, and its fleet form (threaded: the
# lanes), on the dispatch double.
zorvel_add_test(NAME zorvelctl_host_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/zorvelctl_host_test.cpp ${ZORVEL_LINK_FAKE}
  LIBS zorvelctl_host)
zorvel_add_test(NAME zorvelctl_fleet_test THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/zorvelctl_fleet_test.cpp ${ZORVEL_LINK_FAKE}
  LIBS zorvelctl_host)
