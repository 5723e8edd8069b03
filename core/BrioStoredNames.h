#pragma once

//==============================================================================
/**
    The fixed names under which the plug-in keeps its data on disk: folder segments,
    file names and the keys of the two settings documents.

    They live here, and only here, because files that users already have depend on them:
    changing one of these strings orphans existing presets or settings.

    The paths are relative pieces that BrioSettings joins to the shared folder, the
    presets folder or the user's home folder; the comments give the joined result with
    the product "Tanglefix" and the maker "Larkspan".
*/
namespace BrioStoredNames
{
    //==============================================================================
    // Folders and files below the shared folder (<shared> = <common documents>/Larkspan)

    /** Between the shared folder and the product name: <shared>/Presets/Tanglefix */
    inline constexpr const char* presetsSegment = "/Presets/";

    /** The settings folder: <shared>/Settings */
    inline constexpr const char* settingsSegment = "/Settings";

    /** Extension of the global settings file: <settings>/Tanglefix.settings */
    inline constexpr const char* globalSettingsExtension = ".settings";

    /** The second settings file, which holds the news state: <settings>/News.settings */
    inline constexpr const char* secondSettingsFileName = "/News.settings";

    /** The file whose lock lets one instance at a time import the older presets:
        <settings>/.PresetsImport.lock */
    inline constexpr const char* importLockFileName = "/.PresetsImport.lock";

    /** Root element of the second settings file when the store creates it. */
    inline constexpr const char* secondSettingsRootName = "Larkspan_NEWS_SETTINGS";

    //==============================================================================
    // Keys of the settings documents

    /** Second file, boolean (default true): whether the news are fetched at all. */
    inline constexpr const char* newsEnabledKey = "NewsEnabled";

    /** Second file, string: id of the newest ordinary news entry the user has read. */
    inline constexpr const char* newsReadIdKey = "NewsReadId";

    /** Global file, string: id of the last special news entry the user has read. */
    inline constexpr const char* specialNewsReadIdKey = "SpecialNewsReadId";

    /** Global file, boolean: the presets of the older layout have been moved already. */
    inline constexpr const char* presetsMigratedKey = "PresetsMigrated";

    //==============================================================================
    // The older presets layout, read once by the migration:
    // <home>/.local/share/Larkspan Presets/Tanglefix

    /** The two folders below the home folder, in order. */
    inline constexpr const char* legacyFirstFolder = ".local";
    inline constexpr const char* legacySecondFolder = "share";

    /** Follows the maker name directly: "Larkspan Presets". */
    inline constexpr const char* legacyMakerSuffix = " Presets";

    /** Where the migration copies the older presets: <presets>/Imported */
    inline constexpr const char* legacyImportSegment = "/Imported";

    /** A global settings file of the older layout, as it lies after the copy. It replaces
        the current global settings and then goes to the trash. */
    inline constexpr const char* legacySettingsFile = "/Imported/Settings.xml";
}
