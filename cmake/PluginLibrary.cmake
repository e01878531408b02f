# What every plug-in standard's library has in common: one shared library per standard, of
# every object of the standard's binding library and the layers below it, exporting only
# the standard's entry points, needing nothing beyond the system (on Windows) or the C and
# C++ runtimes (elsewhere), and installed into the release. The functions of the standards
# (cmake/Vst2Plugin.cmake, cmake/Lv2Plugin.cmake) add what only their standard needs.
include_guard(GLOBAL)

include(${CMAKE_CURRENT_LIST_DIR}/Release.cmake)

# velvetine_plugin_library(TARGET BINDING
#     EXPORTS FILE          Windows: the module-definition file; elsewhere: the version script
#     ENTRY_POINTS NAME...  what the library must export, and nothing else outside Windows
#     OUTPUT_DIRECTORY DIR  where the build puts it
#     [DESTINATION DIR]     where it goes in the release (default: the top)
#     [SUFFIX .EXT]         the file's ending where the standard names its own (default:
#                           the platform's, .dll or .so)
#     [DEPENDENCY_TEST NAME])  the self-containment test it is checked by (default:
#                           dll_imports on Windows, native_plugin_dependencies elsewhere)
# The file is named after the plug-in (VELVETINE_FILE_NAME), with no "lib" in front.
function(velvetine_plugin_library target binding)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "EXPORTS;OUTPUT_DIRECTORY;DESTINATION;DEPENDENCY_TEST;SUFFIX"
    "ENTRY_POINTS")
  foreach(required EXPORTS ENTRY_POINTS OUTPUT_DIRECTORY)
    if(NOT arg_${required})
      message(FATAL_ERROR "velvetine_plugin_library(${target}): no ${required}")
    endif()
  endforeach()

  if(WIN32)
    # The module-definition file names the exports; the resource scripts under resources/
    # give the DLL its pictures and its version resource.
    file(GLOB resource_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
    # The files the scripts embed: a changed picture must rebuild the DLL.
    file(GLOB resource_payload CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.png)
    add_library(${target} SHARED ${arg_EXPORTS} ${resource_scripts})
    # Resource scripts find their pictures relative to the resources folder; the version
    # resource reads the identity record. (Set, not appended: every plug-in DLL of the
    # folder compiles the same scripts.)
    set_property(SOURCE ${resource_scripts} PROPERTY
      INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/generated)
    set_property(SOURCE ${resource_scripts} PROPERTY
      OBJECT_DEPENDS ${resource_payload} ${CMAKE_BINARY_DIR}/generated/core/Identity.h)
    set_target_properties(${target} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${arg_OUTPUT_DIRECTORY}
      LIBRARY_OUTPUT_DIRECTORY ${arg_OUTPUT_DIRECTORY}
      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686")
      # DllMain is __stdcall (DllMain@12 inside the object); the export keeps the plain name.
      target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
    endif()
    set(default_test dll_imports)
  else()
    add_library(${target} SHARED ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    target_link_options(${target} PRIVATE
      -Wl,--version-script=${arg_EXPORTS} -Wl,--no-undefined)
    set_target_properties(${target} PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${arg_OUTPUT_DIRECTORY}
      LINK_DEPENDS ${arg_EXPORTS})
    set(default_test native_plugin_dependencies)
  endif()
  # Every object of the binding: nothing in the library refers to the entry points, which
  # must be linked all the same.
  target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${binding}>")
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${VELVETINE_FILE_NAME})
  if(arg_SUFFIX)
    set_target_properties(${target} PROPERTIES SUFFIX ${arg_SUFFIX})
    # Its import library would take the name of the plain DLL's.
    set_target_properties(${target} PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/${target})
  endif()

  if(NOT arg_DEPENDENCY_TEST)
    set(arg_DEPENDENCY_TEST ${default_test})
  endif()
  velvetine_check_self_contained(${arg_DEPENDENCY_TEST} ${target} ${arg_ENTRY_POINTS})
  if(arg_DESTINATION)
    velvetine_release_install(${target} DESTINATION ${arg_DESTINATION})
  else()
    velvetine_release_install(${target})
  endif()
endfunction()

# velvetine_check_self_contained(TEST TARGET ENTRY_POINT...): the test TEST checks that
# TARGET's file needs nothing a host lacks and exports ENTRY_POINT... (a DLL: at least
# those, undecorated, and it imports only from Windows system libraries; a shared object:
# exactly those, and it needs only Debian's C and C++ runtimes). One test checks every
# library given to it, made when the top folder has been read.
# The sanitizer build's shared objects need the sanitizer runtimes: they are not checked.
function(velvetine_check_self_contained test target)
  if(VELVETINE_SANITIZE)
    return()
  endif()
  list(JOIN ARGN " " entry_points)
  set_property(GLOBAL APPEND PROPERTY VELVETINE_SELF_CONTAINED_TESTS ${test})
  set_property(GLOBAL APPEND PROPERTY VELVETINE_SELF_CONTAINED_${test}
    "$<TARGET_FILE:${target}>" "${entry_points}")
  get_property(deferred GLOBAL PROPERTY VELVETINE_SELF_CONTAINED_DEFERRED)
  if(NOT deferred)
    set_property(GLOBAL PROPERTY VELVETINE_SELF_CONTAINED_DEFERRED TRUE)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _velvetine_add_self_contained_tests)
  endif()
endfunction()

function(_velvetine_add_self_contained_tests)
  get_property(tests GLOBAL PROPERTY VELVETINE_SELF_CONTAINED_TESTS)
  list(REMOVE_DUPLICATES tests)
  foreach(test IN LISTS tests)
    get_property(checks GLOBAL PROPERTY VELVETINE_SELF_CONTAINED_${test})
    if(WIN32)
      find_program(VELVETINE_OBJDUMP NAMES ${CMAKE_OBJDUMP} objdump REQUIRED)
      add_test(NAME ${test}
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${VELVETINE_OBJDUMP}
          -P ${CMAKE_SOURCE_DIR}/cmake/CheckDllImports.cmake -- ${checks})
      velvetine_test_timeout(${test})
    else()
      add_test(NAME ${test} COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-shared-object ${checks})
      set_tests_properties(${test} PROPERTIES TIMEOUT 60)
    endif()
  endforeach()
endfunction()
