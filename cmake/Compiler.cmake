# Warnings and code generation shared by every configuration.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# Every product and sum rounds on its own: the outputs are fixed to the last bit.
add_compile_options(-ffp-contract=off)

if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686")
  # No x87 maths; hosts built with other compilers enter with a 4-byte aligned stack.
  add_compile_options(-msse2 -mfpmath=sse -mstackrealign)
endif()

if(CMAKE_POSITION_INDEPENDENT_CODE)
  # The shared objects export only their entry points, so nothing inside them can be
  # interposed: let calls within the plug-in be inlined and made directly.
  add_compile_options(-fno-semantic-interposition)
endif()

if(WIN32)
  # Self-contained binaries: the only imports are Windows system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

if(VELVETINE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Code that calls VST3 interfaces across the module boundary (the binding, the host's driver
# and the tests): the sanitizers' check of each virtual call's dynamic type misjudges objects
# whose classes the other side defines, and its own checking enters the system (a pipe to
# probe memory) inside the audio path, so it is left out there.
set(VELVETINE_CROSS_MODULE_CALL_OPTIONS "")
if(VELVETINE_SANITIZE)
  set(VELVETINE_CROSS_MODULE_CALL_OPTIONS -fno-sanitize=vptr)
endif()
