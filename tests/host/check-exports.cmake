# Checks that a bundle's dynamic symbol table holds exactly the seven entry points (and the
# EXTRA names, such as the Linux run-loop export): a host must reach nothing else, and nothing
# of the bundle may clash with another bundle's symbols.
execute_process(COMMAND "${NM}" -D --defined-only --format=posix "${BUNDLE}"
    RESULT_VARIABLE exitCode OUTPUT_VARIABLE table ERROR_VARIABLE errors)

if(NOT exitCode EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${BUNDLE}:\n${errors}")
endif()

string(REGEX MATCHALL "(^|\n)[^ \n]+" names "${table}")
list(TRANSFORM names STRIP)
list(SORT names)

set(expected ACFCanUnloadNow ACFGetClassFactory ACFGetSDKVersion ACFRegisterComponent
             ACFRegisterPlugin ACFShutdown ACFStartup ${EXTRA})
list(SORT expected)

if(NOT names STREQUAL expected)
    message(FATAL_ERROR "${BUNDLE} exports\n  ${names}\ninstead of\n  ${expected}")
endif()
