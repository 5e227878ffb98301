# The serial port under Wine: the fixture com_pty_peer (a Python script on the
# host) links COM37 and COM38 of the build's Wine prefix to pseudo-terminals
# and answers on their far ends while the test runs.
zorvel_add_test(NAME com_wine_test WIN_ONLY THREADED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/com_wine_test.cpp
  LIBS COM zorvel_test_support)
set(com_pty_peer ${CMAKE_CURRENT_LIST_DIR}/com_pty_peer.py)
set(com_pty_state ${CMAKE_BINARY_DIR}/com_pty_peer.state)
add_test(NAME com_pty_peer_start
  COMMAND ${ZORVEL_PYTHON3} ${com_pty_peer} start ${com_pty_state} ${ZORVEL_WINE_RUN} $<TARGET_FILE:com_wine_test>)
add_test(NAME com_pty_peer_stop COMMAND ${ZORVEL_PYTHON3} ${com_pty_peer} stop ${com_pty_state})
set_tests_properties(com_pty_peer_start PROPERTIES FIXTURES_SETUP com_pty)
set_tests_properties(com_pty_peer_stop PROPERTIES FIXTURES_CLEANUP com_pty)
set_tests_properties(com_wine_test PROPERTIES FIXTURES_REQUIRED com_pty)
