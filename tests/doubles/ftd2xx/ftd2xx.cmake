# The D2XX driver double (README.md beside this file).
#
# The library lands in bin/ftd2xx-double/, not beside the programs, so that
# nothing picks it up by accident (the program staged by scripts/run, the tests
# of a missing driver). A test opts in with zorvel_use_ftd2xx_double(TEST),
# which puts that folder on the library search path of the test's process.
set(ZORVEL_FTD2XX_DOUBLE_DIR ${CMAKE_BINARY_DIR}/bin/ftd2xx-double)
if(WIN32)
  add_library(ftd2xx SHARED ${CMAKE_CURRENT_LIST_DIR}/ftd2xx_double.cpp ${CMAKE_CURRENT_LIST_DIR}/link_win.cpp)
  set_target_properties(ftd2xx PROPERTIES PREFIX "" IMPORT_PREFIX "")
  target_link_libraries(ftd2xx PRIVATE ws2_32)
  # Wine's drive Z: is the Unix root.
  string(REPLACE "/" "\\" zorvel_ftd2xx_double_windows_dir "Z:${ZORVEL_FTD2XX_DOUBLE_DIR}")
else()
  find_package(Threads REQUIRED)
  add_library(ftd2xx SHARED ${CMAKE_CURRENT_LIST_DIR}/ftd2xx_double.cpp ${CMAKE_CURRENT_LIST_DIR}/link_posix.cpp)
  target_link_libraries(ftd2xx PRIVATE Threads::Threads)
endif()
set_target_properties(ftd2xx PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  LIBRARY_OUTPUT_DIRECTORY ${ZORVEL_FTD2XX_DOUBLE_DIR}
  RUNTIME_OUTPUT_DIRECTORY ${ZORVEL_FTD2XX_DOUBLE_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# The environment entry that lets a process find the double: the library
# search path natively, Wine's addition to PATH for Windows programs.
if(WIN32)
  set(ZORVEL_FTD2XX_DOUBLE_ENV "WINEPATH=${zorvel_ftd2xx_double_windows_dir}")
else()
  set(ZORVEL_FTD2XX_DOUBLE_ENV "LD_LIBRARY_PATH=${ZORVEL_FTD2XX_DOUBLE_DIR}")
endif()

# zorvel_use_ftd2xx_double(TEST [TARGET target]): the test's process finds the
# double; `target` (the test's executable) is built after the double.
function(zorvel_use_ftd2xx_double test)
  cmake_parse_arguments(U "" "TARGET" "" ${ARGN})
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "${ZORVEL_FTD2XX_DOUBLE_ENV}")
  if(U_TARGET)
    add_dependencies(${U_TARGET} ftd2xx)
  endif()
endfunction()
