# cmake -DPRODUCT=<folder> -DFILES=<file;file> -DSTAGE=<folder> -P stage_product.cmake
# Copies the product folder, adds the files as files to install (listed in
# its file script), and writes stand-ins for the engine image, the support
# library and the uninstaller: the payload behind them is what the seeds are
# taken from.
file(REMOVE_RECURSE ${STAGE})
file(COPY ${PRODUCT}/ DESTINATION ${STAGE}/product)
foreach(f ${FILES})
  get_filename_component(name ${f} NAME)
  file(COPY ${f} DESTINATION ${STAGE}/product)
  file(APPEND ${STAGE}/product/_FILE1.SCR "|${name}||||1|||||||||||||||||${name}|\\source\\|\r\n")
endforeach()
# The uninstaller the product's script installs is built for Windows only.
if(NOT EXISTS ${STAGE}/product/uninstx.exe)
  file(READ ${STAGE}/product/_FILE1.SCR script)
  if(script MATCHES "\\|uninstx\\.exe\\|")
    file(WRITE ${STAGE}/product/uninstx.exe "MZ uninstaller stand-in")
  endif()
endif()
file(WRITE ${STAGE}/engine.bin "MZ engine image stand-in")
file(WRITE ${STAGE}/library.bin "MZ support library stand-in")
