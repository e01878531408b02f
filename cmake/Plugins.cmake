# The plug-ins, one per standard, each made by its standard's function from the standard's
# binding library, and what goes into the release (cmake/Release.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/Vst2Plugin.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Lv2Plugin.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ClapPlugin.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Vst3Plugin.cmake)

# The VST 2.x plug-in's target keeps the name it has always had on each platform: the tests
# and tools refer to it.
if(WIN32)
  velvetine_vst2_plugin(QMVelvetine velvetine_shell)
else()
  velvetine_vst2_plugin(QMVelvetine_vst2 velvetine_shell)
  velvetine_lv2_plugin(QMVelvetine_lv2 velvetine_lv2 UI QMVelvetine_lv2ui velvetine_core_editor)
endif()
velvetine_clap_plugin(QMVelvetine_clap velvetine_clap)
velvetine_vst3_plugin(QMVelvetine_vst3 velvetine_vst3)
