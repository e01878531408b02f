# The native plug-ins: the VST 2.x shared object (the shell layer) and the LV2 bundle (the
# lv2 binding), both over the same layers. Each exports only its entry points and carries
# zlib inside, so that it needs nothing beyond the C and C++ runtimes.

# velvetine_native_plugin(TARGET VERSION_SCRIPT LIBRARY): a shared object of every object
# of LIBRARY and the layers below it; the version script names what it exports.
function(velvetine_native_plugin target script library)
  add_library(${target} SHARED ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>")
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${script} -Wl,--no-undefined)
  set_target_properties(${target} PROPERTIES PREFIX "" LINK_DEPENDS ${script})
endfunction()

velvetine_native_plugin(QMVelvetine_vst2 ${CMAKE_SOURCE_DIR}/shell/QMVelvetine.map velvetine_shell)
# Older Linux hosts look the entry point up as "main", a name C++ reserves: the linker gives
# the entry point that second name.
target_link_options(QMVelvetine_vst2 PRIVATE -Wl,--defsym,main=VSTPluginMain)
set_target_properties(QMVelvetine_vst2 PROPERTIES
  OUTPUT_NAME QMVelvetine LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The bundle: the shared object and the two turtle files, which carry the identity record.
set(VELVETINE_LV2_BUNDLE ${CMAKE_BINARY_DIR}/lv2/QMVelvetine.lv2)
velvetine_native_plugin(QMVelvetine_lv2 ${CMAKE_SOURCE_DIR}/lv2/QMVelvetine.map velvetine_lv2)
set_target_properties(QMVelvetine_lv2 PROPERTIES
  OUTPUT_NAME QMVelvetine LIBRARY_OUTPUT_DIRECTORY ${VELVETINE_LV2_BUNDLE})
configure_file(${CMAKE_SOURCE_DIR}/lv2/manifest.ttl.in ${VELVETINE_LV2_BUNDLE}/manifest.ttl @ONLY)
# The plug-in's turtle: the identity here, then the control port written at build time from
# the control's description by a program of the build's own.
set(VELVETINE_LV2_CONTROL_PORT "@VELVETINE_LV2_CONTROL_PORT@")
configure_file(${CMAKE_SOURCE_DIR}/lv2/QMVelvetine.ttl.in ${CMAKE_BINARY_DIR}/lv2/QMVelvetine.ttl.in @ONLY)
add_executable(velvetine-lv2-turtle ${CMAKE_SOURCE_DIR}/lv2/turtle/WriteTurtle.cpp)
target_link_libraries(velvetine-lv2-turtle PRIVATE velvetine_effect)
add_custom_command(OUTPUT ${VELVETINE_LV2_BUNDLE}/QMVelvetine.ttl
  COMMAND velvetine-lv2-turtle ${CMAKE_BINARY_DIR}/lv2/QMVelvetine.ttl.in ${VELVETINE_LV2_BUNDLE}/QMVelvetine.ttl
  DEPENDS velvetine-lv2-turtle ${CMAKE_BINARY_DIR}/lv2/QMVelvetine.ttl.in)
add_custom_target(QMVelvetine_lv2_turtle DEPENDS ${VELVETINE_LV2_BUNDLE}/QMVelvetine.ttl)
add_dependencies(QMVelvetine_lv2 QMVelvetine_lv2_turtle)

# Outside the sanitizer build, the shared objects may need only Debian's C and C++ runtimes
# and must export only their entry points.
if(NOT VELVETINE_SANITIZE)
  add_test(NAME native_plugin_dependencies
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-shared-object
      $<TARGET_FILE:QMVelvetine_vst2> "VSTPluginMain main"
      $<TARGET_FILE:QMVelvetine_lv2> "lv2_descriptor")
  set_tests_properties(native_plugin_dependencies PROPERTIES TIMEOUT 60)
endif()
