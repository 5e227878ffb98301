# The dispatch, reply buffer and waits over the recording fake transports on
# a virtual clock; threaded (a reader thread against the window thread).
zorvel_add_test(NAME link_test THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link_test.cpp
  LIBS zorvel_link_with_fakes)
# A board's own channel and the waits that wake on arrival; threaded.
zorvel_add_test(NAME link_channel_test THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link_channel_test.cpp
  LIBS zorvel_link_with_fakes)
