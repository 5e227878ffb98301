# Window tests of the program, run under Wine. The resources (manifest,
# bitmaps) are linked in so the controls are those of the program. The tests
# that write the program's INI files beside the executables take one lock.
if(NOT WIN32 OR NOT TARGET zorvel_widgets)
  return()
endif()

zorvel_add_test(NAME ui_widgets_test WIN_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_widgets_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_controls_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
          $<TARGET_OBJECTS:zorvel_resources>
  LIBS zorvel_widgets zorvel_emulation)

if(TARGET zorvel_forms_fakes)
  zorvel_add_test(NAME ui_small_test WIN_ONLY TIMEOUT 120
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_small_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
            $<TARGET_OBJECTS:zorvel_resources>
    LIBS zorvel_forms_fakes)
  zorvel_add_test(NAME ui_main_test WIN_ONLY TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_main_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_menus_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
            $<TARGET_OBJECTS:zorvel_resources>
    LIBS zorvel_forms_fakes)
  set_tests_properties(ui_main_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)
  zorvel_add_test(NAME ui_sett_test WIN_ONLY TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_sett_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
            $<TARGET_OBJECTS:zorvel_resources>
    LIBS zorvel_forms_fakes)
  set_tests_properties(ui_sett_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)

  # The windows at 100, 150 and 200 % scaling, each DPI in a Wine prefix of its own.
  add_executable(ui_dpi_test ${CMAKE_CURRENT_LIST_DIR}/ui_dpi_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_dpi_time_test.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
                 $<TARGET_OBJECTS:zorvel_resources>)
  target_link_libraries(ui_dpi_test PRIVATE zorvel_forms_fakes zorvel_gtest_main)
  target_include_directories(ui_dpi_test PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests
                             ${CMAKE_CURRENT_LIST_DIR})
  foreach(dpi 96 144 192)
    add_test(NAME ui_dpi_${dpi}
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/ui_dpi.sh ${dpi} $<TARGET_FILE:ui_dpi_test>
              ${PROJECT_SOURCE_DIR}/cmake/wine-run --gtest_brief=1)
    set_tests_properties(ui_dpi_${dpi} PROPERTIES TIMEOUT 300 RESOURCE_LOCK zorvel_program_ini)
  endforeach()
endif()

if(TARGET zorvel_forms)
  # Over the real serial transport and boardsim; built here, run by ui_e2e.sh.
  add_executable(ui_e2e_test ${CMAKE_CURRENT_LIST_DIR}/ui_e2e_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
                 $<TARGET_OBJECTS:zorvel_resources>)
  target_link_libraries(ui_e2e_test PRIVATE zorvel_forms zorvel_gtest_main)
  target_include_directories(ui_e2e_test PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
  set(ui_boardsim_candidates ${ZORVEL_NATIVE_BOARDSIM} ${PROJECT_SOURCE_DIR}/build/native-asan/bin/boardsim
      ${PROJECT_SOURCE_DIR}/build/native/bin/boardsim ${PROJECT_SOURCE_DIR}/build/native-release/bin/boardsim)
  foreach(link com tcp settings)
    add_test(NAME ui_e2e_${link}
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/ui_e2e.sh ${link} $<TARGET_FILE:ui_e2e_test>
              ${PROJECT_SOURCE_DIR}/cmake/wine-run ${ui_boardsim_candidates})
    set_tests_properties(ui_e2e_${link} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS e2e
                         RESOURCE_LOCK zorvel_program_ini)
  endforeach()
endif()

if(TARGET zorvel_forms_fakes)
  zorvel_add_test(NAME ui_time_test WIN_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_time_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_support.cpp
            $<TARGET_OBJECTS:zorvel_resources>
    LIBS zorvel_forms_fakes)
  set_tests_properties(ui_time_test PROPERTIES RESOURCE_LOCK zorvel_program_ini)
endif()
