# The Wine launcher itself: the program's status apart from Wine's own failures.
add_test(NAME wine_run_test COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine_run_test.sh ${ZORVEL_WINE_RUN} ${CMAKE_BINARY_DIR}/bin)
