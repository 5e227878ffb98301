# Every test double, defined once.

# The D2XX driver library of the USB adapter (README.md in ftd2xx/).
include(${CMAKE_CURRENT_LIST_DIR}/ftd2xx/ftd2xx.cmake)

# The driver installer the USB tests start: sleeps, notes its start and end.
add_executable(usb_dummy_installer ${CMAKE_CURRENT_LIST_DIR}/usb_dummy_installer.cpp)

# A double of the dispatch that link.h declares, for the sequences' tests
# (compiled into each test that links the sequences).
set(ZORVEL_LINK_FAKE ${CMAKE_CURRENT_LIST_DIR}/link_fake.cpp)

# Recording fakes of the five transport classes and a virtual clock, and the
# real dispatch (link.cpp) over them. The two refer to each other (the clock
# installs itself through SetWaiter), which CMake resolves for static libraries.
add_library(zorvel_fake_transports STATIC ${CMAKE_CURRENT_LIST_DIR}/fake_transports.cpp)
add_library(zorvel_link_with_fakes STATIC ${PROJECT_SOURCE_DIR}/zorvel/board/link.cpp)
foreach(target zorvel_fake_transports zorvel_link_with_fakes)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
  # The classes are defined in the test program itself, not imported.
  target_compile_definitions(${target} PUBLIC ZORVEL_TRANSPORTS_LOCAL RAVLO_BUILDING)
endforeach()
find_package(Threads REQUIRED)
target_link_libraries(zorvel_fake_transports PUBLIC zorvel_protocol zorvel_link_with_fakes Threads::Threads)
target_link_libraries(zorvel_link_with_fakes PUBLIC zorvel_protocol zorvel_fake_transports)
if(WIN32)
  target_link_libraries(zorvel_link_with_fakes PUBLIC user32 ws2_32)
endif()
