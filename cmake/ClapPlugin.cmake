# The CLAP plug-in: QMVelvetine.clap, a DLL (Windows) or shared object (elsewhere) under the
# name CLAP hosts look for, at the top of the build folder and of the release.
include_guard(GLOBAL)

include(${CMAKE_CURRENT_LIST_DIR}/PluginLibrary.cmake)

# velvetine_clap_plugin(TARGET BINDING): the plug-in of the CLAP binding library BINDING
# (clap/, whose module-definition file and version script export clap_entry alone).
function(velvetine_clap_plugin target binding)
  if(WIN32)
    set(exports ${CMAKE_SOURCE_DIR}/clap/QMVelvetine.def)
  else()
    set(exports ${CMAKE_SOURCE_DIR}/clap/QMVelvetine.map)
  endif()
  velvetine_plugin_library(${target} ${binding}
    EXPORTS ${exports}
    ENTRY_POINTS clap_entry
    SUFFIX .clap
    OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endfunction()
