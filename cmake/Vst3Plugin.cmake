# The VST3 plug-in: the bundle QMVelvetine.vst3, a folder holding one binary per platform
# under Contents/<architecture>/ and the description of its classes, which hosts read
# without loading the binary, in Contents/Resources/moduleinfo.json. The build folder holds
# the bundle with this configuration's binary; each configuration's release installs its
# binary beside its own folder of dist/, so that the configurations fill one bundle,
# dist/QMVelvetine.vst3.
include_guard(GLOBAL)

include(${CMAKE_CURRENT_LIST_DIR}/PluginLibrary.cmake)

# The bundle's folder for this configuration's binary, as VST3 hosts look for it.
function(_velvetine_vst3_architecture out)
  if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(${out} x86_64-win PARENT_SCOPE)
  elseif(WIN32)
    set(${out} x86-win PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_SYSTEM_PROCESSOR}-linux PARENT_SCOPE)
  endif()
endfunction()

# velvetine_vst3_plugin(TARGET BINDING): the plug-in of the VST3 binding library BINDING
# (vst3/, whose module-definition file and version script export the entry points alone),
# and the bundle's moduleinfo.json from the identity record.
function(velvetine_vst3_plugin target binding)
  set(bundle_name ${VELVETINE_FILE_NAME}.vst3)
  set(bundle ${CMAKE_BINARY_DIR}/${bundle_name})
  # The bundle's folder, for the tests and tools that load it as hosts do.
  set(VELVETINE_VST3_BUNDLE ${bundle} CACHE INTERNAL "The VST3 bundle of the build folder")
  _velvetine_vst3_architecture(architecture)
  if(WIN32)
    set(exports ${CMAKE_SOURCE_DIR}/vst3/QMVelvetine.def)
    set(entry_points GetPluginFactory InitDll ExitDll)
    set(suffix SUFFIX .vst3)
  else()
    set(exports ${CMAKE_SOURCE_DIR}/vst3/QMVelvetine.map)
    set(entry_points GetPluginFactory ModuleEntry ModuleExit)
    set(suffix)
  endif()
  # The release's prefix is dist/<configuration>/: the bundle sits beside it.
  velvetine_plugin_library(${target} ${binding}
    EXPORTS ${exports}
    ENTRY_POINTS ${entry_points}
    ${suffix}
    OUTPUT_DIRECTORY ${bundle}/Contents/${architecture}
    DESTINATION ../${bundle_name}/Contents/${architecture})

  string(REPLACE "|" "\", \"" VELVETINE_VST3_SUBCATEGORY_LIST "\"${VELVETINE_VST3_SUBCATEGORIES}\"")
  configure_file(${CMAKE_SOURCE_DIR}/vst3/moduleinfo.json.in ${bundle}/Contents/Resources/moduleinfo.json @ONLY)
  velvetine_release_files(DESTINATION ../${bundle_name}/Contents/Resources
    FILES ${bundle}/Contents/Resources/moduleinfo.json)
endfunction()
