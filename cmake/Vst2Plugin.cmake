# The VST 2.x plug-in: QMVelvetine.dll on Windows, QMVelvetine.so elsewhere, each at the top
# of the build folder and of the release.
include_guard(GLOBAL)

include(${CMAKE_CURRENT_LIST_DIR}/PluginLibrary.cmake)

# velvetine_vst2_plugin(TARGET BINDING): the plug-in of the VST 2.x binding library BINDING
# (shell/, whose module-definition file and version script name the exports).
function(velvetine_vst2_plugin target binding)
  if(WIN32)
    velvetine_plugin_library(${target} ${binding}
      EXPORTS ${CMAKE_SOURCE_DIR}/shell/QMVelvetine.def
      ENTRY_POINTS VSTPluginMain MAIN DllMain
      OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  else()
    velvetine_plugin_library(${target} ${binding}
      EXPORTS ${CMAKE_SOURCE_DIR}/shell/QMVelvetine.map
      ENTRY_POINTS VSTPluginMain main
      OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    # Older Linux hosts look the entry point up as "main", a name C++ reserves: the linker
    # gives the entry point that second name.
    target_link_options(${target} PRIVATE -Wl,--defsym,main=VSTPluginMain)
  endif()
endfunction()
