# What every shipped Windows binary (the program and its five libraries)
# carries besides its code.
#
#   zorvel_shipped_binary(<target> [DESCRIPTION "<text>"])
#
# DESCRIPTION gives a library its version resource: the product's version and
# maker and what the library is for (the program has its own block in
# zorvel/resources/zorvel.rc). In the release build each binary also gets the
# quiet terminate handler (compat/release/quiet_terminate.cpp).
function(zorvel_shipped_binary target)
  cmake_parse_arguments(S "" "DESCRIPTION" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  if(S_DESCRIPTION)
    enable_language(RC)
    # "2.01" is major 2, minor 1 in the numeric fields.
    math(EXPR ZORVEL_VERSION_MINOR_NUMBER "${PROJECT_VERSION_MINOR}")
    set(ZORVEL_FILE_DESCRIPTION "${S_DESCRIPTION}")
    set(ZORVEL_ORIGINAL_FILENAME "${target}.dll")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
  endif()
  if(ZORVEL_RELEASE)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/compat/release/quiet_terminate.cpp)
  endif()
endfunction()
