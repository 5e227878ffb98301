# Settings files beside the executable in folders whose names are not ASCII
# (a Cyrillic and a Greek one) under two ANSI code pages: the same bytes as in
# an ASCII folder. The probe runs several times, so the script drives it.
add_executable(settings_folder_probe ${CMAKE_CURRENT_LIST_DIR}/settings_folder_probe.cpp)
target_link_libraries(settings_folder_probe PRIVATE zorvel_link zorvel_config)
target_include_directories(settings_folder_probe PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME settings_folder_test
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/settings_folder.sh $<TARGET_FILE:settings_folder_probe> ${ZORVEL_WINE_RUN})
set_tests_properties(settings_folder_test PROPERTIES TIMEOUT 300)
