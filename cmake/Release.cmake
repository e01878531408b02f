# What this configuration contributes to the release. Everything that goes to users is
# installed in the component "release", laid out as the release archives hold it, relative
# to the install prefix; scripts/build installs it into dist/<VELVETINE_RELEASE_FOLDER>/ and
# scripts/package makes the archives from there.
#
#   cmake --build build/x64 --target velvetine_release
#   cmake --install build/x64 --prefix dist/x64 --component release
include_guard(GLOBAL)

# The folder of dist/ this configuration's release goes to: one per platform the release
# covers. The sanitizer build is for the tests alone and goes nowhere.
if(VELVETINE_SANITIZE)
  set(folder "")
elseif(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(folder x64)
elseif(WIN32)
  set(folder x86)
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" folder)
endif()
set(VELVETINE_RELEASE_FOLDER "${folder}" CACHE INTERNAL
  "The folder of dist/ that scripts/build installs this configuration's release into; empty for none")
unset(folder)

# velvetine_release: builds everything the release installs, and the few programs the demo
# runs from the build folder, and nothing else (no tests).
add_custom_target(velvetine_release)

# velvetine_release_install(TARGET [DESTINATION FOLDER]): TARGET's file goes into the
# release, in FOLDER of it (default: its top). Only the file hosts load or people run: a
# DLL's import library stays out of the component.
function(velvetine_release_install target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESTINATION" "")
  if(NOT arg_DESTINATION)
    set(arg_DESTINATION .)
  endif()
  # Executable like the files the linker writes: Debian's CMake would install shared
  # objects without the execute bits, and the archives keep the bits they find.
  set(permissions OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
  install(TARGETS ${target}
    RUNTIME DESTINATION ${arg_DESTINATION} PERMISSIONS ${permissions} COMPONENT release
    LIBRARY DESTINATION ${arg_DESTINATION} PERMISSIONS ${permissions} COMPONENT release
    ARCHIVE DESTINATION lib COMPONENT link_libraries EXCLUDE_FROM_ALL)
  add_dependencies(velvetine_release ${target})
endfunction()

# velvetine_release_files(DESTINATION FOLDER FILES... [DEPENDS TARGET...]): files made by
# the build (the LV2 bundle's turtle files) go into FOLDER of the release; the targets that
# make them join the release build.
function(velvetine_release_files)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "DESTINATION" "FILES;DEPENDS")
  install(FILES ${arg_FILES} DESTINATION ${arg_DESTINATION} COMPONENT release)
  if(arg_DEPENDS)
    add_dependencies(velvetine_release ${arg_DEPENDS})
  endif()
endfunction()

# velvetine_release_tool(TARGET): built with the release but not part of it, for the
# programs that scripts/demo runs from the build folder.
function(velvetine_release_tool target)
  add_dependencies(velvetine_release ${target})
endfunction()
