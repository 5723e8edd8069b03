# The editor command's --scale through the real bundle: the size the editor's own rule gives
# for the scale, also when an earlier run (in the same private folders) stored another one.
foreach(step "0.75;487 x 315" "1;650 x 420" "1.3;845 x 546")
    list(GET step 0 scale)
    list(GET step 1 size)
    execute_process(COMMAND "${HOST}" editor --hold 50 --scale ${scale} "${BUNDLE}"
                    RESULT_VARIABLE exitCode OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT exitCode EQUAL 0 OR NOT output MATCHES "Editor size: ${size}\n")
        message(FATAL_ERROR "--scale ${scale}: exit code ${exitCode}, expected the size ${size}\n${output}\n${errors}")
    endif()
endforeach()
