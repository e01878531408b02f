# velvetine_test_timeout(NAME): the ctest time limit of one test program. A Windows program
# runs under Wine and gets a few times its usual running time, so that a program that hangs
# costs a minute or two, not a quarter of an hour. Usual times under Wine on the two-core
# build machine with two tests at once: at most about 16 s for the small programs (most of
# it Wine starting), 21 s for render_demo_outputs, 40 s for test_editor_stress and 120 s
# for test_robust_dll_dispatcher.
# Native programs keep a generous limit: the sanitizer build is many times slower.
set(VELVETINE_WINDOWS_TEST_TIMEOUT 90)
set(VELVETINE_TIMEOUT_render_demo_outputs 120)
set(VELVETINE_TIMEOUT_test_editor_stress 200)
set(VELVETINE_TIMEOUT_test_robust_dll_dispatcher 480)

function(velvetine_test_timeout name)
  if(NOT WIN32)
    set(seconds 900)
  elseif(DEFINED VELVETINE_TIMEOUT_${name})
    set(seconds ${VELVETINE_TIMEOUT_${name}})
  else()
    set(seconds ${VELVETINE_WINDOWS_TEST_TIMEOUT})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${seconds})
endfunction()
