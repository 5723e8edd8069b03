# cmake -DCHECK_SCRIPT=<the build's check> -DWORK_DIR=<scratch folder> -P EmbeddedFilesCheckTest.cmake
# The build's check of the files it embeds: an empty or a missing file among sound ones
# stops it with that file's name; sound files alone pass.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/sound.png" "picture")
file(WRITE "${WORK_DIR}/sound.ttf" "typeface")
file(WRITE "${WORK_DIR}/empty.ttf" "")

function(expect_check expectedName)
    list(JOIN ARGN "\n" listText)
    file(WRITE "${WORK_DIR}/list" "${listText}\n")
    execute_process(COMMAND "${CMAKE_COMMAND}" "-DFILE_LIST=${WORK_DIR}/list" -P "${CHECK_SCRIPT}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    string(REPLACE "\n" " " output "${output}")

    if(expectedName STREQUAL "")
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "Sound files refused: ${output}")
        endif()
    elseif(result EQUAL 0 OR NOT output MATCHES "${expectedName}")
        message(FATAL_ERROR "Check of ${ARGN} did not stop naming ${expectedName}: ${output}")
    endif()
endfunction()

expect_check("" "${WORK_DIR}/sound.png" "${WORK_DIR}/sound.ttf")
expect_check("empty\\.ttf" "${WORK_DIR}/sound.png" "${WORK_DIR}/empty.ttf" "${WORK_DIR}/sound.ttf")
expect_check("missing\\.png" "${WORK_DIR}/sound.ttf" "${WORK_DIR}/missing.png")
expect_check("embedded-files-check" "${WORK_DIR}/sound.ttf" "${WORK_DIR}")
