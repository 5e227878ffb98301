# The configuration files: value rules and the held settings' load and save,
# natively and under Wine (where the real profile functions run).
zorvel_add_test(NAME config_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/config_profile_test.cpp ${CMAKE_CURRENT_LIST_DIR}/config_settings_test.cpp
  LIBS zorvel_config zorvel_test_support)
