# cmake -DFILE_LIST=<file> -P CheckEmbeddedFiles.cmake
# Run before juceaide embeds the files named in FILE_LIST, one path a line. juceaide
# embeds an empty or missing file without a word, and the editor would find no picture
# or typeface in it at run time: such a file stops the build here instead.
file(STRINGS "${FILE_LIST}" files)

foreach(file IN LISTS files)
    if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
        message(FATAL_ERROR "Embedded resource missing: ${file}")
    endif()

    file(SIZE "${file}" size)

    if(size EQUAL 0)
        message(FATAL_ERROR "Embedded resource is empty: ${file}")
    endif()
endforeach()
