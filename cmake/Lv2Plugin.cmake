# The LV2 plug-in: the bundle QMVelvetine.lv2 (lv2/QMVelvetine.lv2 in the build folder, at
# the top of the release) with the plug-in's shared object, its user interface's and the
# turtle files that describe both and carry the identity record.
include_guard(GLOBAL)

include(${CMAKE_CURRENT_LIST_DIR}/PluginLibrary.cmake)

# velvetine_lv2_plugin(TARGET BINDING UI UI_TARGET UI_LIBRARY): the plug-in of the LV2
# binding library BINDING (lv2/), and UI_TARGET, its user interface, from the sources in
# lv2ui/ over UI_LIBRARY. The bundle's manifest names both, so they come together.
function(velvetine_lv2_plugin target binding)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "UI")
  list(LENGTH arg_UI ui_arguments)
  if(NOT ui_arguments EQUAL 2)
    message(FATAL_ERROR "velvetine_lv2_plugin(${target}): UI takes the target and the library it links")
  endif()
  list(GET arg_UI 0 ui_target)
  list(GET arg_UI 1 ui_library)
  set(bundle_name ${VELVETINE_FILE_NAME}.lv2)
  set(bundle ${CMAKE_BINARY_DIR}/lv2/${bundle_name})

  velvetine_plugin_library(${target} ${binding}
    EXPORTS ${CMAKE_SOURCE_DIR}/lv2/QMVelvetine.map
    ENTRY_POINTS lv2_descriptor
    OUTPUT_DIRECTORY ${bundle}
    DESTINATION ${bundle_name})

  configure_file(${CMAKE_SOURCE_DIR}/lv2/manifest.ttl.in ${bundle}/manifest.ttl @ONLY)
  # The plug-in's turtle: the identity here, then the control port written at build time
  # from the control's description by a program of the build's own.
  set(VELVETINE_LV2_CONTROL_PORT "@VELVETINE_LV2_CONTROL_PORT@")
  configure_file(${CMAKE_SOURCE_DIR}/lv2/QMVelvetine.ttl.in ${CMAKE_BINARY_DIR}/lv2/QMVelvetine.ttl.in @ONLY)
  add_executable(velvetine-lv2-turtle ${CMAKE_SOURCE_DIR}/lv2/turtle/WriteTurtle.cpp)
  target_link_libraries(velvetine-lv2-turtle PRIVATE velvetine_effect)
  add_custom_command(OUTPUT ${bundle}/QMVelvetine.ttl
    COMMAND velvetine-lv2-turtle ${CMAKE_BINARY_DIR}/lv2/QMVelvetine.ttl.in ${bundle}/QMVelvetine.ttl
    DEPENDS velvetine-lv2-turtle ${CMAKE_BINARY_DIR}/lv2/QMVelvetine.ttl.in)
  add_custom_target(${target}_turtle DEPENDS ${bundle}/QMVelvetine.ttl)
  add_dependencies(${target} ${target}_turtle)
  velvetine_release_files(DESTINATION ${bundle_name}
    FILES ${bundle}/manifest.ttl ${bundle}/QMVelvetine.ttl DEPENDS ${target}_turtle)

  _velvetine_lv2_ui(${ui_target} ${ui_library} ${bundle} ${bundle_name})
endfunction()

# The user interface: a shared object of its own (LV2 keeps the interface and the processing
# apart), the effect's editor over the toolkit's X11 back end. Like the plug-ins it exports
# only its entry point and needs only the C and C++ runtimes: Xlib is loaded when an editor
# opens.
function(_velvetine_lv2_ui target library bundle bundle_name)
  velvetine_sources(sources lv2ui)
  add_library(${target} SHARED ${sources})
  target_link_libraries(${target} PRIVATE ${library})
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${CMAKE_SOURCE_DIR}/lv2ui/QMVelvetineUi.map -Wl,--no-undefined)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${VELVETINE_FILE_NAME}_ui LIBRARY_OUTPUT_DIRECTORY ${bundle}
    LINK_DEPENDS ${CMAKE_SOURCE_DIR}/lv2ui/QMVelvetineUi.map)
  configure_file(${CMAKE_SOURCE_DIR}/lv2ui/QMVelvetine_ui.ttl.in ${bundle}/QMVelvetine_ui.ttl @ONLY)
  velvetine_check_self_contained(lv2_ui_dependencies ${target} lv2ui_descriptor)
  velvetine_release_install(${target} DESTINATION ${bundle_name})
  velvetine_release_files(DESTINATION ${bundle_name} FILES ${bundle}/QMVelvetine_ui.ttl)
endfunction()
