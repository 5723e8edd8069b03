# The editor's two typefaces: Open Sans Regular and Bold from Debian's fonts-open-sans,
# cut down at build time by fonttools' pyftsubset to the characters the editor can be
# asked to draw, and compiled in as BrioFonts. Preset names and news texts are drawn
# only with these faces, so every letter of the Latin sets must stay: a glyph that is
# not in the subset is simply not drawn.
find_program(TANGLEFIX_PYFTSUBSET pyftsubset REQUIRED)
set(TANGLEFIX_OPEN_SANS_DIR "/usr/share/fonts/truetype/open-sans"
    CACHE PATH "Folder of Debian's Open Sans TrueType files")

# Basic Latin, Latin-1 Supplement (with the multiplication sign), Latin Extended-A, the
# dashes, quotes, bullet and ellipsis of ordinary text (the ellipsis also ends curtailed
# labels), the euro and trademark signs and the minus sign.
set(TANGLEFIX_FONT_UNICODES
    "U+0020-007E,U+00A0-00FF,U+0100-017F,U+2013-2014,U+2018-201A,U+201C-201E,U+2022,U+2026,U+20AC,U+2122,U+2212")

set(fontDir "${CMAKE_CURRENT_BINARY_DIR}/fonts")
file(MAKE_DIRECTORY "${fontDir}")
set(fontFiles)

foreach(style IN ITEMS Regular Bold)
    set(source "${TANGLEFIX_OPEN_SANS_DIR}/OpenSans-${style}.ttf")
    set(subset "${fontDir}/OpenSans${style}.ttf")

    # JUCE's FreeType faces kern only from the legacy 'kern' table, which pyftsubset
    # would drop beside GPOS: --legacy-kern keeps it.
    add_custom_command(OUTPUT "${subset}"
        COMMAND "${TANGLEFIX_PYFTSUBSET}" "${source}"
            "--unicodes=${TANGLEFIX_FONT_UNICODES}"
            --legacy-kern
            "--output-file=${subset}"
        DEPENDS "${source}" "${CMAKE_CURRENT_LIST_FILE}"
        COMMENT "Subsetting Open Sans ${style}"
        VERBATIM)

    list(APPEND fontFiles "${subset}")
endforeach()

tanglefix_add_built_binary_data(tanglefix_ui_fonts HEADER_NAME BrioFonts.h NAMESPACE BrioFonts
    SOURCES ${fontFiles})
