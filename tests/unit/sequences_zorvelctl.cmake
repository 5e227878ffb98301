# zorvelctl's console host and reports, on the dispatch double.
if(TARGET zorvelctl_host)
  zorvel_add_test(NAME zorvelctl_host_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/zorvelctl_host_test.cpp ${CMAKE_CURRENT_LIST_DIR}/link_fake.cpp
    LIBS zorvelctl_host)
  zorvel_add_test(NAME zorvelctl_fleet_test THREADED
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/zorvelctl_fleet_test.cpp ${CMAKE_CURRENT_LIST_DIR}/link_fake.cpp
    LIBS zorvelctl_host)
endif()
