# The transport dispatch, the reply buffer and the waits, over the five
# transport libraries.
add_library(zorvel_link STATIC ${CMAKE_CURRENT_LIST_DIR}/link.cpp)
target_include_directories(zorvel_link PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zorvel_link PUBLIC zorvel_protocol COM FTD GSM RFM ravlo)
if(WIN32)
  target_link_libraries(zorvel_link PUBLIC user32)
endif()
