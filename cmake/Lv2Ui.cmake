# The LV2 bundle's user interface: a shared object of its own (LV2 keeps the interface and
# the processing apart), the effect's editor over the toolkit's X11 back end. Like the
# plug-ins it exports only its entry point and needs only the C and C++ runtimes: Xlib is
# loaded when an editor opens.
add_library(QMVelvetine_lv2ui SHARED ${CMAKE_SOURCE_DIR}/lv2ui/VelvetineUi_x11.cpp)
target_link_libraries(QMVelvetine_lv2ui PRIVATE velvetine_core_editor)
target_link_options(QMVelvetine_lv2ui PRIVATE
  -Wl,--version-script=${CMAKE_SOURCE_DIR}/lv2ui/QMVelvetineUi.map -Wl,--no-undefined)
set_target_properties(QMVelvetine_lv2ui PROPERTIES
  PREFIX "" OUTPUT_NAME QMVelvetine_ui LIBRARY_OUTPUT_DIRECTORY ${VELVETINE_LV2_BUNDLE}
  LINK_DEPENDS ${CMAKE_SOURCE_DIR}/lv2ui/QMVelvetineUi.map)
configure_file(${CMAKE_SOURCE_DIR}/lv2ui/QMVelvetine_ui.ttl.in ${VELVETINE_LV2_BUNDLE}/QMVelvetine_ui.ttl @ONLY)
if(NOT VELVETINE_SANITIZE)
  add_test(NAME lv2_ui_dependencies
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-shared-object $<TARGET_FILE:QMVelvetine_lv2ui> "lv2ui_descriptor")
  set_tests_properties(lv2_ui_dependencies PROPERTIES TIMEOUT 60)
endif()
