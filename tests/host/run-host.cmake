# Runs the host program and checks its exit code, its listing (against an expected file, all
# but the first line, which names the bundle's path) or its output (against a regular
# expression), and its error message.
separate_arguments(args UNIX_COMMAND "${ARGS}")
execute_process(COMMAND "${HOST}" ${args}
    RESULT_VARIABLE exitCode OUTPUT_VARIABLE output ERROR_VARIABLE errors)

if(NOT exitCode STREQUAL EXPECT_EXIT)
    message(FATAL_ERROR "exit code ${exitCode}, expected ${EXPECT_EXIT}\nstdout:\n${output}\nstderr:\n${errors}")
endif()

if(EXPECT_ERROR AND NOT errors MATCHES "${EXPECT_ERROR}")
    message(FATAL_ERROR "stderr does not match '${EXPECT_ERROR}':\n${errors}")
endif()

if(EXPECT_OUTPUT AND NOT output MATCHES "${EXPECT_OUTPUT}")
    message(FATAL_ERROR "stdout does not match '${EXPECT_OUTPUT}':\n${output}")
endif()

if(EXPECT_LISTING)
    file(READ "${EXPECT_LISTING}" expected)
    string(REGEX REPLACE "^Bundle: [^\n]*\n" "" listing "${output}")

    if(NOT listing STREQUAL expected)
        message(FATAL_ERROR "the listing differs from ${EXPECT_LISTING}:\n${listing}")
    endif()
endif()
