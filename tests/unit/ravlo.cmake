# cRavlo against loopback servers: BSD sockets natively (also under
# ThreadSanitizer), Winsock under Wine.
if(WIN32)
  set(ravlo_test_platform_libs ws2_32)
endif()
zorvel_add_test(NAME ravlo_test THREADED TIMEOUT 600
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ravlo_test.cpp
  LIBS ravlo zorvel_compat ${ravlo_test_platform_libs})
