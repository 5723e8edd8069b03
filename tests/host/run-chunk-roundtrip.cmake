# Saves an instance's chunks with one value changed, restores them into a new instance and
# checks that they compare equal there; then refuses a cut chunk file. The files live in the
# test's private folder (run through tests/private-run.sh).
set(folder "$ENV{TANGLEFIX_TEST_TMP}")
if(NOT folder)
    message(FATAL_ERROR "run through tests/private-run.sh")
endif()

function(run_host expectExit expectOutput)
    execute_process(COMMAND "${HOST}" ${ARGN} RESULT_VARIABLE exitCode OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT exitCode STREQUAL expectExit OR NOT "${output}${errors}" MATCHES "${expectOutput}")
        message(FATAL_ERROR "${ARGN}: exit code ${exitCode} (expected ${expectExit}), "
                            "expected '${expectOutput}'\nstdout:\n${output}\nstderr:\n${errors}")
    endif()
endfunction()

run_host(0 "Chunk 0x656C636B 'elck' \"Complete Controls State\", 84 bytes, version -1\nWrote 1 chunk"
    chunk get --set 1=0.25 "${BUNDLE}" "${folder}/state.chunks")
run_host(0 "Set chunk 0x656C636B 'elck': 0\nCompare chunk 0x656C636B 'elck': 0\nChunk 0x656C636B 'elck' is active"
    chunk set "${BUNDLE}" "${folder}/state.chunks")

file(WRITE "${folder}/cut.chunks" "abc")
run_host(74 "ends inside a chunk header" chunk set "${BUNDLE}" "${folder}/cut.chunks")
