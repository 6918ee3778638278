# make_setup(<name> PRODUCT <folder> OUTPUT <file> ENGINE <target> LIBRARY <target>
#            [FILES <file>...] [DEPENDS <target>...] [UNCHECKED] [UNVERIFIED])
# Writes a setup program at build time with the host build's mksetup: the
# product folder is staged (plus FILES, e.g. a plug-in built here) and packed
# behind the engine image and the support library, then verified. The builder
# checks the product first; UNCHECKED packs a product that is damaged on
# purpose, UNVERIFIED skips the verification (test products whose file script
# is meant to be out of step).
function(make_setup name)
  cmake_parse_arguments(M "UNCHECKED;UNVERIFIED" "PRODUCT;OUTPUT;ENGINE;LIBRARY" "FILES;DEPENDS" ${ARGN})
  if(NOT SETUP_HOST_TOOLS)
    message(FATAL_ERROR "make_setup(${name}): SETUP_HOST_TOOLS names no host build")
  endif()
  set(tool ${SETUP_HOST_TOOLS}/buildtool/mksetup)
  set(stage ${CMAKE_CURRENT_BINARY_DIR}/${name}.product)
  file(GLOB product_files CONFIGURE_DEPENDS ${M_PRODUCT}/*)
  # A product whose file script installs the uninstaller gets the one
  # built here unless its folder carries one.
  if(EXISTS ${M_PRODUCT}/_FILE1.SCR AND NOT EXISTS ${M_PRODUCT}/uninstx.exe)
    file(READ ${M_PRODUCT}/_FILE1.SCR product_script)
    string(TOLOWER "${product_script}" product_script)
    if(product_script MATCHES "\\|uninstx\\.exe\\|")
      list(APPEND M_FILES $<TARGET_FILE:uninstx>)
      list(APPEND M_DEPENDS uninstx)
    endif()
  endif()
  set(copy_files)
  if(M_FILES)
    set(copy_files COMMAND ${CMAKE_COMMAND} -E copy ${M_FILES} ${stage})
  endif()
  set(unchecked)
  if(M_UNCHECKED)
    set(unchecked --unchecked)
  endif()
  set(verify COMMAND ${tool} verify ${M_OUTPUT})
  if(M_UNVERIFIED)
    set(verify)
  endif()
  add_custom_command(OUTPUT ${M_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${M_PRODUCT} ${stage}
    ${copy_files}
    COMMAND ${tool} build ${unchecked} $<TARGET_FILE:${M_ENGINE}> $<TARGET_FILE:${M_LIBRARY}> ${stage} ${M_OUTPUT}
    ${verify}
    DEPENDS ${M_ENGINE} ${M_LIBRARY} ${M_DEPENDS} ${product_files} ${tool}
    COMMENT "Writing setup program ${M_OUTPUT}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${M_OUTPUT})
endfunction()
