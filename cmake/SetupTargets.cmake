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

# The shipped program file and support library link no C run-time: their own
# entry points (WinMainCRTStartup in startup/winmain.cpp, DllMainCRTStartup in
# supportlib/state.cpp), the memory routines of base/runtime.cpp, libgcc
# for what the compiler calls by itself (64-bit division, stack probes) and
# the system DLLs the target names. A static object with a destructor then
# fails to link (no atexit); one with a constructor is caught by
# check_image.cmake.
function(setup_no_runtime target)
  setup_lean(${target})
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/base/runtime.cpp)
  target_compile_options(${target} PRIVATE -fno-threadsafe-statics -fno-stack-protector)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Windows keeps the 32-bit stack at 4-byte alignment and nothing here
    # needs more: no realigning prologues. Arguments are pushed, not stored
    # into a frame reserved for them, which takes a fifth off the code; gcc
    # only does that without stack probes, so no frame may pass 3 KB: the
    # stack then always reaches the guard page below it in order, as pushes
    # and small frames do, and the build refuses a larger frame.
    target_compile_options(${target} PRIVATE -mpreferred-stack-boundary=2
      -mno-accumulate-outgoing-args -mno-stack-arg-probe -Werror=frame-larger-than=3072)
  endif()
  target_link_options(${target} PRIVATE -nostartfiles -nodefaultlibs
    -Wl,-Map,$<TARGET_FILE:${target}>.map)
  target_link_libraries(${target} PRIVATE kernel32 gcc)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    # A program file is loaded at its preferred base: it needs no
    # relocations, and its exports for plug-ins need none either. The linker
    # writes them for any image that exports, so they go after the link,
    # with the unwind tables libgcc brings (nothing unwinds here).
    target_link_options(${target} PRIVATE -Wl,--disable-dynamicbase)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
      target_link_options(${target} PRIVATE -Wl,--disable-high-entropy-va)
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} -R .reloc -R .eh_fram -R .eh_frame $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

# Fails the build when an artefact does not fit its slot in the setup
# program file; prints the figures either way.
# The check runs in every build, so the figures are always printed.
# The 32-bit release build also prints each section and the bytes of .text
# by source folder, and fails on an import that cmake/allowed_imports.txt
# does not list.
function(setup_size_gate target label limit)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    add_custom_target(${target}_size ALL
      COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> "-DLABEL=${label}"
              -DLIMIT=${limit} -DOBJDUMP=${CMAKE_OBJDUMP} -DMAP=$<TARGET_FILE:${target}>.map
              -DALLOWED=${PROJECT_SOURCE_DIR}/cmake/allowed_imports.txt
              -P ${PROJECT_SOURCE_DIR}/cmake/check_image.cmake
      DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/allowed_imports.txt VERBATIM)
  else()
    add_custom_target(${target}_size ALL
      COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> "-DLABEL=${label}"
              -DLIMIT=${limit} -P ${PROJECT_SOURCE_DIR}/cmake/check_size.cmake
      DEPENDS ${target} VERBATIM)
  endif()
endfunction()
