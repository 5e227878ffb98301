# Window tests of the program, run under Wine. The resources (manifest,
# bitmaps) are linked in so the controls are those of the program. The tests
# that write the program's INI files beside the executables take one lock.

# The window helpers (ui_support.h) every window test shares.
add_library(zorvel_ui_support STATIC ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp)
target_link_libraries(zorvel_ui_support PUBLIC zorvel_widgets zorvel_test_headers PRIVATE gtest)
target_include_directories(zorvel_ui_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})

# The program's windows again, over the recording fakes of the transports.
get_target_property(zorvel_form_sources zorvel_forms SOURCES)
add_library(zorvel_forms_fakes STATIC ${zorvel_form_sources})
target_link_libraries(zorvel_forms_fakes PUBLIC zorvel_widgets zorvel_emulation zorvel_settvalues zorvel_timeline
                      zorvel_sequences zorvel_link_with_fakes zorvel_config shell32)

zorvel_add_test(NAME ui_widgets_test WIN_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_widgets_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_controls_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_pictures_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_ui_support zorvel_emulation zorvel_test_support)
# The pictures test compares the compiled-in pictures with the drawn bitmaps.
target_compile_definitions(ui_widgets_test PRIVATE ZORVEL_RESOURCES_DIR="${PROJECT_SOURCE_DIR}/zorvel/resources")

zorvel_add_test(NAME ui_small_test WIN_ONLY TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_small_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms_fakes zorvel_ui_support zorvel_test_support_fakes)

zorvel_add_test(NAME ui_sett_test WIN_ONLY TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_sett_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms_fakes zorvel_ui_support zorvel_test_support_fakes)
set_tests_properties(ui_sett_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)

zorvel_add_test(NAME ui_time_test WIN_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_time_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms_fakes zorvel_ui_support zorvel_test_support_fakes)
set_tests_properties(ui_time_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)

# The windows at 100, 150 and 200 % scaling, each DPI in a Wine prefix of its own.
add_executable(ui_dpi_test ${CMAKE_CURRENT_LIST_DIR}/ui_dpi_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_dpi_time_test.cpp
                           $<TARGET_OBJECTS:zorvel_resources>)
target_link_libraries(ui_dpi_test PRIVATE zorvel_forms_fakes zorvel_ui_support zorvel_test_support_fakes
                      zorvel_gtest_main)
foreach(dpi 96 144 192)
  add_test(NAME ui_dpi_${dpi}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/ui_dpi.sh ${dpi} $<TARGET_FILE:ui_dpi_test> ${ZORVEL_WINE_RUN} --gtest_brief=1)
  set_tests_properties(ui_dpi_${dpi} PROPERTIES TIMEOUT 300 RESOURCE_LOCK zorvel_program_ini)
endforeach()

zorvel_add_test(NAME ui_main_test WIN_ONLY TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_main_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_menus_test.cpp
          $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms_fakes zorvel_ui_support zorvel_test_support_fakes)
set_tests_properties(ui_main_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)

zorvel_add_test(NAME ui_help_test WIN_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_help_test.cpp $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_forms_fakes zorvel_ui_support zorvel_test_support_fakes)
set_tests_properties(ui_help_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)

# Over the real serial transport and boardsim; built here, run by ui_e2e.sh.
add_executable(ui_e2e_test ${CMAKE_CURRENT_LIST_DIR}/ui_e2e_test.cpp $<TARGET_OBJECTS:zorvel_resources>)
target_link_libraries(ui_e2e_test PRIVATE zorvel_forms zorvel_ui_support zorvel_test_support zorvel_gtest_main)
foreach(link com tcp settings)
  add_test(NAME ui_e2e_${link}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/ui_e2e.sh ${link} $<TARGET_FILE:ui_e2e_test> ${ZORVEL_WINE_RUN} ${ZORVEL_BOARDSIM})
  set_tests_properties(ui_e2e_${link} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS e2e
                       RESOURCE_LOCK zorvel_program_ini)
endforeach()
