# JUCE comes from Debian's juce-modules-source. Its modules are interface libraries: every
# target that links one compiles the module's sources again. So the modules are compiled
# once, into a static library per flavour (plain, or with a sanitizer), and everything
# else links that library and only sees JUCE's headers and settings.

find_package(JUCE 7.0.5 EXACT CONFIG REQUIRED)

# Debian's JUCE 7.0.5 has faults that the project cannot reach from outside (making a String
# from malformed UTF-8 sized it by decoding and copied the raw bytes, overrunning the heap
# wherever JUCE turns a file name or an environment value into text). The patches in
# patches/ are applied at configure time to a copy of the module in the build folder, and
# the module's target is pointed at that copy, so every flavour of the library (and every
# header its users include) is the patched one. Debian's sources stay untouched.
set(TANGLEFIX_PATCHED_JUCE_DIR "${CMAKE_BINARY_DIR}/juce-patched")

# tanglefix_patch_juce_module(MODULE PATCH): copies the module and applies the patch (-p1,
# paths below the modules folder). The copy is made again only when the patch or Debian's
# module changed, so a configure alone recompiles nothing. A patch that does not apply
# exactly stops the configure.
function(tanglefix_patch_juce_module module patchFile)
    set(source "${JUCE_MODULES_DIR}/${module}")
    set(copy "${TANGLEFIX_PATCHED_JUCE_DIR}/${module}")
    set(stampFile "${TANGLEFIX_PATCHED_JUCE_DIR}/${module}.stamp")

    file(SHA256 "${patchFile}" stamp)
    file(GLOB_RECURSE sourceFiles LIST_DIRECTORIES FALSE "${source}/*")
    list(SORT sourceFiles)
    foreach(sourceFile IN LISTS sourceFiles)
        file(SHA256 "${sourceFile}" fileHash)
        string(APPEND stamp "\n${sourceFile} ${fileHash}")
    endforeach()
    # An update of Debian's module or an edit of the patch configures again.
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${patchFile}" ${sourceFiles})

    if(EXISTS "${stampFile}" AND EXISTS "${copy}")
        file(READ "${stampFile}" previousStamp)
        if(previousStamp STREQUAL stamp)
            return()
        endif()
    endif()

    set(work "${TANGLEFIX_PATCHED_JUCE_DIR}/${module}.work")
    file(REMOVE_RECURSE "${work}" "${stampFile}")
    file(COPY "${source}" DESTINATION "${work}")
    execute_process(
        COMMAND patch --batch --forward --fuzz=0 --no-backup-if-mismatch -p1 -d "${work}" -i "${patchFile}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        file(REMOVE_RECURSE "${work}")
        message(FATAL_ERROR "${patchFile} does not apply to JUCE's ${module} in ${JUCE_MODULES_DIR}:\n${output}")
    endif()

    file(REMOVE_RECURSE "${copy}")
    file(RENAME "${work}/${module}" "${copy}")
    file(REMOVE_RECURSE "${work}")
    file(WRITE "${stampFile}" "${stamp}")
endfunction()

# tanglefix_use_patched_juce_module(MODULE): points the module's target (which the other
# modules' targets depend on by name) at the patched copy: its sources, its headers and its
# include folder.
function(tanglefix_use_patched_juce_module module)
    foreach(property INTERFACE_SOURCES INTERFACE_JUCE_MODULE_SOURCES INTERFACE_JUCE_MODULE_HEADERS)
        get_target_property(files ${module} ${property})
        if(files)
            string(REPLACE "${JUCE_MODULES_DIR}/${module}/" "${TANGLEFIX_PATCHED_JUCE_DIR}/${module}/" files "${files}")
            set_property(TARGET ${module} PROPERTY ${property} "${files}")
        endif()
    endforeach()

    get_target_property(includes ${module} INTERFACE_INCLUDE_DIRECTORIES)
    list(TRANSFORM includes REPLACE "^${JUCE_MODULES_DIR}$" "${TANGLEFIX_PATCHED_JUCE_DIR}")
    set_target_properties(${module} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${includes}"
        INTERFACE_JUCE_MODULE_PATH "${TANGLEFIX_PATCHED_JUCE_DIR}")
endfunction()

tanglefix_patch_juce_module(juce_core "${PROJECT_SOURCE_DIR}/patches/juce_core-utf8-string-copy.patch")
tanglefix_use_patched_juce_module(juce_core)
find_package(PkgConfig REQUIRED)
pkg_check_modules(TANGLEFIX_JUCE_SYSLIBS REQUIRED IMPORTED_TARGET
    libpng libjpeg zlib libcurl flac vorbis vorbisenc vorbisfile ogg freetype2 fontconfig)

# The product's plug-in settings. They are visible to every translation unit that sees
# JUCE, so that JUCE's own code and the AAX wrapper agree on them.
set(TANGLEFIX_PLUGIN_DEFINITIONS
    JucePlugin_Name="Tanglefix"
    JucePlugin_Desc="Tanglefix"
    JucePlugin_Manufacturer="Larkspan"
    JucePlugin_ManufacturerWebsite="https://larkspan.com"
    JucePlugin_ManufacturerEmail=""
    JucePlugin_ManufacturerCode=0x4c6b7370    # 'Lksp'
    JucePlugin_PluginCode=0x54676678          # 'Tgfx'
    JucePlugin_VersionCode=0x10206
    JucePlugin_VersionString="1.2.6"
    JucePlugin_AAXIdentifier=com.Larkspan.Tanglefix
    JucePlugin_AAXManufacturerCode=JucePlugin_ManufacturerCode
    JucePlugin_AAXProductId=JucePlugin_PluginCode
    JucePlugin_AAXCategory=0x2020
    JucePlugin_AAXDisableBypass=0
    JucePlugin_AAXDisableMultiMono=0
    JucePlugin_IsSynth=0
    JucePlugin_WantsMidiInput=0
    JucePlugin_ProducesMidiOutput=0
    JucePlugin_IsMidiEffect=0
    JucePlugin_EditorRequiresKeyboardFocus=0
    JucePlugin_Build_AAX=1
    JucePlugin_Build_VST=0
    JucePlugin_Build_VST3=0
    JucePlugin_Build_AU=0
    JucePlugin_Build_AUv3=0
    JucePlugin_Build_RTAS=0
    JucePlugin_Build_Standalone=0
    JucePlugin_Build_Unity=0
    JucePlugin_Build_LV2=0
    JucePlugin_Enable_IAA=0
    JucePlugin_Enable_ARA=0
    JUCE_STANDALONE_APPLICATION=0)

set(TANGLEFIX_JUCE_DEFINITIONS
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=1
    JUCE_LOAD_CURL_SYMBOLS_LAZILY=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_USE_DARK_SPLASH_SCREEN=1
    JUCE_REPORT_APP_USAGE=0
    JUCE_PLUGINHOST_AU=0
    JUCE_PLUGINHOST_VST=0
    JUCE_PLUGINHOST_VST3=0
    JUCE_PLUGINHOST_LADSPA=0
    JUCE_PLUGINHOST_LV2=0
    JUCE_PLUGINHOST_ARA=0
    JUCE_USE_OGGVORBIS=1
    JUCE_USE_FLAC=1
    JUCE_USE_MP3AUDIOFORMAT=0
    JUCE_SILENCE_XCODE_15_LINKER_WARNING=1
    $<$<CONFIG:Debug>:DEBUG=1 _DEBUG=1>
    $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>
    ${TANGLEFIX_PLUGIN_DEFINITIONS})

set(TANGLEFIX_ALL_JUCE_MODULES
    juce_core juce_events juce_data_structures juce_graphics juce_gui_basics juce_gui_extra
    juce_audio_basics juce_audio_formats juce_audio_processors juce_dsp)

# tanglefix_juce_library(NAME [MODULES m...] [COMPILE_OPTIONS o...] [LINK_OPTIONS o...]
#                        [OPTIONS_ONLY_FOR m...])
# Compiles the given JUCE modules (all of the product's by default) into one static
# library. Consumers get JUCE's include folder, the settings above and the system libraries.
# OPTIONS_ONLY_FOR applies COMPILE_OPTIONS to those modules' sources alone: a sanitizer
# flavour instruments only what its test exercises, and the other modules compile exactly
# as in the plain library, so ccache hands them over. (The options are source properties
# of the calling folder: call it from a folder that builds no other JUCE library.)
function(tanglefix_juce_library name)
    cmake_parse_arguments(ARG "" "" "MODULES;COMPILE_OPTIONS;LINK_OPTIONS;OPTIONS_ONLY_FOR" ${ARGN})
    if(NOT ARG_MODULES)
        set(ARG_MODULES ${TANGLEFIX_ALL_JUCE_MODULES})
    endif()

    add_library(${name} STATIC)
    set(available)
    foreach(module IN LISTS ARG_MODULES)
        target_link_libraries(${name} PRIVATE juce::${module})
        list(APPEND available JUCE_MODULE_AVAILABLE_${module}=1)
    endforeach()

    target_compile_definitions(${name} PUBLIC ${TANGLEFIX_JUCE_DEFINITIONS} ${available})
    # The patched modules come first, so that no file includes Debian's unpatched headers.
    target_include_directories(${name} SYSTEM PUBLIC "${TANGLEFIX_PATCHED_JUCE_DIR}" "${JUCE_MODULES_DIR}")

    if(ARG_OPTIONS_ONLY_FOR)
        target_compile_options(${name} PRIVATE -w)
        set(sources)
        foreach(module IN LISTS ARG_OPTIONS_ONLY_FOR)
            get_target_property(moduleSources juce::${module} INTERFACE_JUCE_MODULE_SOURCES)
            list(APPEND sources ${moduleSources})
        endforeach()
        set_source_files_properties(${sources} TARGET_DIRECTORY ${name}
            PROPERTIES COMPILE_OPTIONS "${ARG_COMPILE_OPTIONS}")
    else()
        target_compile_options(${name} PRIVATE -w ${ARG_COMPILE_OPTIONS})
    endif()
    target_link_options(${name} PUBLIC ${ARG_LINK_OPTIONS})
    target_link_libraries(${name} PUBLIC PkgConfig::TANGLEFIX_JUCE_SYSLIBS
        Threads::Threads ${CMAKE_DL_LIBS} rt)
endfunction()

find_package(Threads REQUIRED)
tanglefix_juce_library(tanglefix_juce)
