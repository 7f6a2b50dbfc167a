# Runs the canary with one defect: it must end with a non-zero status and the sanitizer's report.
execute_process(COMMAND ${PROGRAM} ${CASE} RESULT_VARIABLE Status OUTPUT_VARIABLE Out ERROR_VARIABLE Err)
if(Status EQUAL 0)
    message(FATAL_ERROR "${CASE}: the sanitizer let the defect pass\n${Out}${Err}")
endif()
if(NOT Err MATCHES "${REPORT}")
    message(FATAL_ERROR "${CASE}: no report matching '${REPORT}' (status ${Status})\n${Err}")
endif()
