# Compiler and linker settings shared by every Windows target.

# Lean code for the engine, the support library and the stand-ins: no
# exceptions, no RTTI, no unwind tables, unused sections dropped, nothing but
# system DLLs at run time. No -fdata-sections: the mingw compiler then puts
# zero-filled arrays into .data$ sections, which take their full size in the
# file instead of costing nothing in .bss.
function(setup_lean target)
  target_compile_options(${target} PRIVATE
    -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-unwind-tables -ffunction-sections -fno-ident
    -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
  target_link_options(${target} PRIVATE
    -Wl,--gc-sections -s -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # stdcall exports without their @n decoration.
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
endfunction()

# Fails the build when an artefact does not fit its slot in the setup
# program file; prints the figures either way.
# The check runs in every build, so the figures are always printed.
function(setup_size_gate target label limit)
  add_custom_target(${target}_size ALL
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> "-DLABEL=${label}"
            -DLIMIT=${limit} -P ${PROJECT_SOURCE_DIR}/cmake/check_size.cmake
    DEPENDS ${target} VERBATIM)
endfunction()
