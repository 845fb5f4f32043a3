# Runs decode on INPUT and checks its exit status (STATUS) and, for a success, that the PAM file it
# wrote equals EXPECTED.
#     cmake -DDECODE=... -DINPUT=... -DOUTPUT=... -DSTATUS=... [-DEXPECTED=...] -P check_decode.cmake
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${DECODE} ${INPUT} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "decode ${INPUT} ended with ${status}, expected ${STATUS}")
endif()
if(DEFINED EXPECTED)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "decode ${INPUT} wrote other pixels than ${EXPECTED}")
  endif()
endif()
