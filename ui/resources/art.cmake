# The editor's pictures and drawings. The pictures are drawn at build time by
# tanglefix_art (art/, JUCE's software renderer and PNG writer); the drawings are the
# SVG files in art/, black shapes that the editor recolours. Both are compiled in as
# BrioArt::<file>_<ext> (BrioArt.h).

set(artSourceDir "${CMAKE_CURRENT_SOURCE_DIR}/art")
set(artOutputDir "${CMAKE_CURRENT_BINARY_DIR}/art")

# TANGLEFIX_ART_PROGRAM names a tanglefix_art that another tree has built, for trees that
# make only the resources (the CI's check of a second generator) and would otherwise
# compile JUCE for it.
set(TANGLEFIX_ART_PROGRAM "" CACHE FILEPATH "An existing tanglefix_art to draw the pictures with")

if(TANGLEFIX_ART_PROGRAM)
    add_executable(tanglefix_art IMPORTED)
    set_target_properties(tanglefix_art PROPERTIES IMPORTED_LOCATION "${TANGLEFIX_ART_PROGRAM}")
else()
    add_executable(tanglefix_art
        "${artSourceDir}/ArtMain.cpp" "${artSourceDir}/ContactSheet.cpp" "${artSourceDir}/IconArt.cpp"
        "${artSourceDir}/KnobArt.cpp" "${artSourceDir}/PanelArt.cpp")
    target_link_libraries(tanglefix_art PRIVATE tanglefix_juce)
    target_compile_options(tanglefix_art PRIVATE -Wall -Wextra)
endif()

set(artPictureNames background preset_bar
    previous previous_down next next_down save save_down delete delete_down random random_down
    news news_down settings settings_down bypass bypass_down
    knob_frequency knob_emphasis knob_operations knob_gain knob_mix
    padlock_closed padlock_open lock_style_1 lock_style_2 lock_style_3 lock_style_4)
set(artDrawingNames logo link_1 link_2 link_3 link_4 news_kind_1 news_kind_2 news_other)

set(artPictures)
foreach(name IN LISTS artPictureNames)
    list(APPEND artPictures "${artOutputDir}/${name}.png")
endforeach()
set(artDrawings)
foreach(name IN LISTS artDrawingNames)
    list(APPEND artDrawings "${artSourceDir}/${name}.svg")
endforeach()

add_custom_command(OUTPUT ${artPictures}
    COMMAND tanglefix_art "${artOutputDir}"
    DEPENDS tanglefix_art
    COMMENT "Drawing the editor's pictures"
    VERBATIM)

tanglefix_add_built_binary_data(tanglefix_ui_art HEADER_NAME BrioArt.h NAMESPACE BrioArt
    SOURCES ${artPictures} ${artDrawings})

# A contact sheet of all the art, for looking at it; built only on request.
add_custom_target(tanglefix_art_sheet
    COMMAND tanglefix_art --sheet "${CMAKE_BINARY_DIR}/art-contact-sheet.png" "${artOutputDir}" "${artSourceDir}"
    DEPENDS tanglefix_art ${artPictures} ${artDrawings}
    COMMENT "Drawing the contact sheet of the editor's art: ${CMAKE_BINARY_DIR}/art-contact-sheet.png"
    VERBATIM)
