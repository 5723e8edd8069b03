#pragma once

#include <juce_core/juce_core.h>

#include "BrioSettingsCache.h"
#include "BrioStoredNames.h"

#include <memory>

//==============================================================================
/** The three names that locate the older presets folder: an empty string, the product
    name and the maker name, both without blanks. */
struct BrioNames
{
    juce::String empty, productName, makerName;
};

//==============================================================================
/**
    Knows where the plug-in keeps its data on disk and holds its two small XML settings
    documents: the global settings (editor scale, special news read id, migration flag)
    and the second settings (news enable flag, ordinary news read id).

    Several objects own an instance each; each keeps what it last loaded, and every load
    goes through the process's BrioSettingsCache, which parses a file once per change.
    A file that is present but can't be read (too large, malformed, cut, no regular file,
    a link that leads nowhere, not permitted) loads as an empty element, stops the
    migration, and is set aside under "<name>.unreadable-<time>" once new settings are
    written beside it, just before they take its name. A file that the process or the
    device failed to read (no descriptor or memory left, an I/O error) is left as it is:
    it loads as an empty element too, stops the migration, and nothing is saved over it
    until a load reads it. Message thread only.
*/
class BrioSettings
{
public:
    BrioSettings();
    ~BrioSettings();

    //==============================================================================
    juce::String getBaseFolder() const;
    juce::String getPresetsFolder() const;
    juce::String getSettingsFolder() const;

    /** Follows a symbolic link and creates a missing folder (with parents). */
    static juce::String resolveAndCreateFolder (juce::File folder);

    juce::String getGlobalSettingsFile() const;
    juce::String getSecondSettingsFile() const;

    /** Where presets lay in the older layout; only the migration reads it. Nothing is
        created here, but each folder on the way that is a symbolic link is followed.
        Empty when the home folder's name is not strict UTF-8. */
    juce::String getLegacyPresetsFolder() const;

    //==============================================================================
    juce::XmlElement* loadGlobalSettings (bool sortAttributes);
    bool saveGlobalSettings();
    juce::String getGlobalString (const juce::String& key, const juce::String& defaultValue);
    double getGlobalDouble (const juce::String& key, double defaultValue);
    void setGlobalString (const juce::String& key, const juce::String& value, bool save);
    void setGlobalValue (const juce::String& key, double value, bool save);

    juce::XmlElement* loadSecondSettings (bool sortAttributes);
    bool saveSecondSettings();
    juce::String getSecondString (const juce::String& key, const juce::String& defaultValue);
    bool getSecondBool (const juce::String& key, bool defaultValue);
    void setSecondString (const juce::String& key, const juce::String& value, bool save);

    /** Writes the element as an XML document (JUCE's default text format) through a
        temporary file that replaces the target only once it is complete, so a failed
        write never leaves a truncated document where a good one was. Returns false on
        any failure, short writes included, which JUCE's XmlElement::writeTo misses. */
    static bool writeDocument (const juce::XmlElement& element, const juce::File& file);

    /** Copy of the element with its attributes sorted by name, ignoring case. */
    static std::unique_ptr<juce::XmlElement> sortedCopy (const juce::XmlElement& element);

    /** What sortedCopy makes of the document's element, in one parse rather than two, for
        a document that is one element of plain attributes (as the store writes them);
        null for any other. The text must have passed BrioXmlGuard's checks. */
    static std::unique_ptr<juce::XmlElement> parseSortedIfPlain (const char* text, size_t numBytes);

    //==============================================================================
    /** Copies presets from the older folder layout into the presets folder, once, never
        over a file that exists there; not while the settings file can't be read. */
    void migratePresetsOnce();

    juce::String productName;
    juce::String makerName;

private:
    /** What the last load found. */
    struct LoadState
    {
        bool failed = false;        // the process or the device failed: the element holds no file's settings
        bool unreadable = false;    // a file that can't be read: the element holds none of its settings
    };

    juce::XmlElement* loadInto (std::unique_ptr<juce::XmlElement>& cached, LoadState& load,
                                const juce::File& file, const juce::String& rootName, bool sortAttributes);

    /** Writes the element over the file, setting aside one that can't be read; with
        marksMigration, the element written then says that the older presets were moved
        when the file is unreadable, or was when this store loaded it. */
    bool save (juce::XmlElement& element, const LoadState& load, const juce::File& file, bool marksMigration);

    /** Where a file that could not be read went, and why it could not. */
    struct SetAside
    {
        juce::String path, reason;
        bool stillUnderItsName = false;     // given a second name, for the new settings to replace the first
        bool givenHere = true;              // the name aside is this save's, not one it had already
    };

    /** Just before new settings take the file's name: gives what stands there a name of its
        own that nothing has yet, when it can't be read (a second name where the file system
        allows, so that the settings name never stands empty; else it is moved there); whatever
        replaced it since it was judged is judged again. False when it could not be judged or
        set aside. */
    bool setAsideIfUnreadable (const juce::File& file, SetAside& setAside);

    juce::XmlElement& global();
    juce::XmlElement& second();
    juce::String globalRootName() const;

    std::unique_ptr<juce::XmlElement> globalSettings;
    std::unique_ptr<juce::XmlElement> secondSettings;
    LoadState globalLoad, secondLoad;
    BrioNames names;
    BrioSettingsCache& cache = BrioSettingsCache::getInstance();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioSettings)
};
