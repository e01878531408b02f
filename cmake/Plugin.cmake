# The plug-in DLL: every object of the shell layer (the entry point must be linked even
# though nothing in the DLL refers to it), the layers below it, the module-definition file
# naming the exports, and every resource script under resources/.
enable_language(RC)

file(GLOB velvetine_resource_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
# The files the scripts embed: a changed picture must rebuild the DLL.
file(GLOB velvetine_resource_payload CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.png)

add_library(QMVelvetine SHARED
  ${CMAKE_SOURCE_DIR}/shell/QMVelvetine.def
  ${velvetine_resource_scripts})
target_link_libraries(QMVelvetine PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,velvetine_shell>")
# Resource scripts find their pictures relative to the resources folder.
set_property(SOURCE ${velvetine_resource_scripts} APPEND PROPERTY
  INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/resources)
set_property(SOURCE ${velvetine_resource_scripts} APPEND PROPERTY
  OBJECT_DEPENDS ${velvetine_resource_payload})
# The version resource reads the identity record.
set_property(SOURCE ${velvetine_resource_scripts} APPEND PROPERTY
  INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated)
set_property(SOURCE ${velvetine_resource_scripts} APPEND PROPERTY
  OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/generated/core/Identity.h)
set_target_properties(QMVelvetine PROPERTIES
  PREFIX ""
  OUTPUT_NAME QMVelvetine
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686")
  # DllMain is __stdcall (DllMain@12 inside the object); the export keeps the plain name.
  target_link_options(QMVelvetine PRIVATE -Wl,--enable-stdcall-fixup)
endif()

# The DLL may import only from Windows system libraries: hosts load it without any
# runtime of ours next to it.
find_program(VELVETINE_OBJDUMP NAMES ${CMAKE_OBJDUMP} objdump REQUIRED)
add_test(NAME dll_imports
  COMMAND ${CMAKE_COMMAND}
    -DOBJDUMP=${VELVETINE_OBJDUMP}
    -DDLL=$<TARGET_FILE:QMVelvetine>
    -P ${CMAKE_SOURCE_DIR}/cmake/CheckDllImports.cmake)
velvetine_test_timeout(dll_imports)
