# The transport dispatch, the reply buffer and the waits, over the five
# transport libraries.
add_library(zorvel_link STATIC ${CMAKE_CURRENT_LIST_DIR}/link.cpp)
target_include_directories(zorvel_link PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zorvel_link PUBLIC zorvel_protocol COM FTD GSM RFM ravlo)
if(WIN32)
  target_link_libraries(zorvel_link PUBLIC user32)
endif()

# For tests: recording fakes of the five transport classes and a virtual
# clock (tests/fakes), and the same link.cpp over them. The two refer to each
# other (the clock installs itself through SetWaiter), which CMake resolves
# for static libraries.
set(zorvel_fakes_dir ${PROJECT_SOURCE_DIR}/tests/fakes)
add_library(zorvel_fake_transports STATIC ${zorvel_fakes_dir}/fake_transports.cpp)
add_library(zorvel_link_with_fakes STATIC ${CMAKE_CURRENT_LIST_DIR}/link.cpp)
foreach(target zorvel_fake_transports zorvel_link_with_fakes)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  # The classes are defined in the test program itself, not imported.
  target_compile_definitions(${target} PUBLIC ZORVEL_TRANSPORTS_LOCAL RAVLO_BUILDING)
endforeach()
find_package(Threads REQUIRED)
target_link_libraries(zorvel_fake_transports PUBLIC zorvel_protocol zorvel_link_with_fakes Threads::Threads)
target_link_libraries(zorvel_link_with_fakes PUBLIC zorvel_protocol zorvel_fake_transports)
if(WIN32)
  target_link_libraries(zorvel_link_with_fakes PUBLIC user32 ws2_32)
endif()
