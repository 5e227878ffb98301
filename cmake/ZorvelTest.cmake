# Test registration shared by every part of the tree.
#
#   zorvel_add_test(NAME name SOURCES ... [LIBS ...] [THREADED] [NATIVE_ONLY] [WIN_ONLY] [TIMEOUT s]
#                   [WRAPPER command...])
#
# One executable is one ctest test (Wine costs a second or more per process, so
# a Windows test binary is never split into one test per case). THREADED tests
# are the only ones built and run in the ThreadSanitizer tree; they carry the
# label "threaded". Windows test executables run through the Wine wrapper.
# WRAPPER runs the test program through a launcher of its own (one that starts
# simulators first), given the program's command line after its arguments.
enable_testing()
include(CTest)

if(ZORVEL_SANITIZE STREQUAL "fuzzer")
  set(ZORVEL_TESTS OFF)
else()
  set(ZORVEL_TESTS ON)
endif()

if(ZORVEL_TESTS)
  if(WIN32)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    # GoogleTest from Debian's source package, built by MinGW inside this tree.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    add_library(zorvel_gtest_main INTERFACE)
    target_link_libraries(zorvel_gtest_main INTERFACE gtest_main gmock)
  else()
    find_package(GTest REQUIRED)
    add_library(zorvel_gtest_main INTERFACE)
    target_link_libraries(zorvel_gtest_main INTERFACE GTest::gtest_main GTest::gmock)
  endif()
endif()

# The headers every test may include: the tree, the shared helpers, the doubles.
add_library(zorvel_test_headers INTERFACE)
target_include_directories(zorvel_test_headers INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests
                           ${PROJECT_SOURCE_DIR}/tests/support ${PROJECT_SOURCE_DIR}/tests/doubles)

# How a test launcher starts a Windows program: through Wine.
if(WIN32)
  set(ZORVEL_WINE_RUN ${PROJECT_SOURCE_DIR}/cmake/wine-run)
else()
  set(ZORVEL_WINE_RUN)
endif()

function(zorvel_add_test)
  cmake_parse_arguments(T "THREADED;NATIVE_ONLY;WIN_ONLY" "NAME;TIMEOUT" "SOURCES;LIBS;WRAPPER" ${ARGN})
  if(NOT ZORVEL_TESTS)
    return()
  endif()
  if(WIN32 AND T_NATIVE_ONLY)
    return()
  endif()
  if(NOT WIN32 AND T_WIN_ONLY)
    return()
  endif()
  if(ZORVEL_SANITIZE STREQUAL "thread" AND NOT T_THREADED)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zorvel_gtest_main zorvel_test_headers)
  if(T_WRAPPER)
    add_test(NAME ${T_NAME} COMMAND ${T_WRAPPER} -- ${ZORVEL_WINE_RUN} $<TARGET_FILE:${T_NAME}> --gtest_brief=1)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_THREADED)
    set_tests_properties(${T_NAME} PROPERTIES LABELS threaded)
  endif()
endfunction()
