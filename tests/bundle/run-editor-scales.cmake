# The editor command's --scale through the real bundle: the size the editor's own rule gives
# for the scale, and the scale itself stored, also when an earlier run (in the same private
# folders) stored another one, or a scale of the same size.
set(settings "/opt/Larkspan/Settings/Tanglefix.settings")

function(run_scale scale size stored)
    execute_process(COMMAND "${HOST}" editor --hold 50 --scale ${scale} "${BUNDLE}"
                    RESULT_VARIABLE exitCode OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT exitCode EQUAL 0 OR NOT output MATCHES "Editor size: ${size}\n")
        message(FATAL_ERROR "--scale ${scale}: exit code ${exitCode}, expected the size ${size}\n${output}\n${errors}")
    endif()
    file(READ "${settings}" text)
    if(NOT text MATCHES "WindowSize=\"${stored}\"")
        message(FATAL_ERROR "--scale ${scale}: expected WindowSize=\"${stored}\" stored\n${text}")
    endif()
endfunction()

run_scale(0.75 "487 x 315" "0.75")
run_scale(1 "650 x 420" "1.0")
run_scale(1.3 "845 x 546" "1.3")

# A scale of the same size as the one asked for, as a drag to 487 pixels once stored.
file(READ "${settings}" text)
string(REGEX REPLACE "WindowSize=\"[^\"]*\"" "WindowSize=\"0.7492307424545288\"" text "${text}")
file(WRITE "${settings}" "${text}")
run_scale(0.75 "487 x 315" "0.75")

execute_process(COMMAND "${HOST}" editor --hold 50 --scale 0.753 "${BUNDLE}"
                RESULT_VARIABLE exitCode ERROR_VARIABLE errors)
if(NOT exitCode EQUAL 64 OR NOT errors MATCHES "in hundredths")
    message(FATAL_ERROR "--scale 0.753 should be refused: exit code ${exitCode}\n${errors}")
endif()
