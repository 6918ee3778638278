# cmake -DFILE=... -DLABEL=... -DLIMIT=... -P check_size.cmake
file(SIZE "${FILE}" size)
math(EXPR room "${LIMIT} - ${size}")
message(STATUS "${LABEL}: ${size} bytes, slot ${LIMIT} bytes, room ${room}")
if(size GREATER LIMIT)
  message(FATAL_ERROR "${LABEL} does not fit: ${size} bytes > slot of ${LIMIT} bytes")
endif()
