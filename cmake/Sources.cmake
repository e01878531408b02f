# velvetine_layer(NAME DIR [DEPENDENCIES...]): a static library of every source in DIR
# that belongs to this platform.
function(velvetine_sources out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_(posix|x11)\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

function(velvetine_layer name dir)
  velvetine_sources(sources ${dir})
  if(NOT sources)
    set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)  # a layer still being written
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# velvetine_add_pictures(TARGET): Windows test programs carry the editor's pictures in
# their own resources, as the DLL does, so that a machine description built inside a
# test finds them.
function(velvetine_add_pictures target)
  if(NOT WIN32)
    return()
  endif()
  set(script ${CMAKE_SOURCE_DIR}/resources/pictures.rc)
  file(GLOB pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.png)
  target_sources(${target} PRIVATE ${script})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/resources)
  set_property(SOURCE ${script} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS ${pictures})
endfunction()

# velvetine_unit_tests(DIR LIBRARIES...): one test program per tests/DIR/test_*.cpp,
# run by ctest (under Wine in the Windows builds).
function(velvetine_unit_tests dir)
  velvetine_sources(tests tests/${dir})
  list(FILTER tests INCLUDE REGEX "/test_[^/]*\\.cpp$")
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/support_*.cpp)
  foreach(test_source ${tests})
    get_filename_component(test_name ${test_source} NAME_WE)
    add_executable(${test_name} ${test_source} ${helpers})
    target_link_libraries(${test_name} PRIVATE ${ARGN} gtest gtest_main)
    velvetine_add_pictures(${test_name})
    target_compile_definitions(${test_name} PRIVATE VELVETINE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME ${test_name} COMMAND ${test_name})
    velvetine_test_timeout(${test_name})
  endforeach()
endfunction()

