# Fails when the program file does not export the plug-in accessors under
# their plain names (a decorated name such as GetVariable@8 is not found by
# GetProcAddress "GetVariable").
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${FILE}")
endif()
foreach(name GetVariable SetVariable GetSystemVariable)
  if(NOT table MATCHES "\\] ${name}[\r\n]")
    message(FATAL_ERROR "${FILE}: export ${name} missing or decorated")
  endif()
endforeach()
if(table MATCHES "Variable@[0-9]")
  message(FATAL_ERROR "${FILE}: decorated variable export")
endif()
message(STATUS "exports GetVariable SetVariable GetSystemVariable: plain names")
