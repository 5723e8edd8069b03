#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

//==============================================================================
/**
    The settings files as they were last read or written in this process, shared by
    every store in the process, so that a file is parsed once per change rather than once
    per load: an instance loads both files several times as it is made, a host makes
    instances one after another (to list the plug-in, then to use it), and a file of the
    shared folder may hold a megabyte.

    A file is read again when its identity changed: device, inode, size, modification or
    change time (with nanoseconds), so that each instance still sees what others wrote; the
    change time, which nobody can set, tells a rewrite whose modification time was put back.
    File times advance only with the clock's tick on many file systems, so a file whose
    change time is that recent is compared byte for byte as well, until it is older.

    Any thread but the audio thread; a lock guards the files.
*/
class BrioSettingsCache
{
public:
    /** The process's one cache, kept until the library is unloaded. */
    static BrioSettingsCache& getInstance();

    /** The most a settings file may hold. */
    static constexpr size_t maxFileBytes = 1024 * 1024;

    enum class Kind
    {
        absent,         // nothing under the name
        read,           // a document, or an empty file
        unreadable,     // something under the name that gives no document
        failed          // the process or the device failed (no descriptor or memory left,
                        // an I/O error): nothing is known of the file
    };

    struct Document
    {
        Kind kind = Kind::absent;
        std::shared_ptr<const juce::XmlElement> element;    // null for an empty file
        juce::String reason;                                // unreadable, failed: why, with the file's name
    };

    /** The file's document, with its attributes sorted (BrioSettings::sortedCopy) when
        asked. Anybody can write to the shared folder, so a file is read like any text
        from outside (BrioFileReader, BrioXmlGuard). */
    Document read (const juce::File& file, bool sorted);

    /** What stands under the name, without making any element. */
    Kind getKind (const juce::File& file);

    /** As getKind, with the reason when the file can't be read. */
    Document examine (const juce::File& file);

    /** Runs once the new file is complete, just before it takes the target's name; false
        keeps it from doing so. */
    using BeforeReplacing = std::function<bool()>;

    /** Writes the element as BrioSettings::writeDocument does, and keeps it as the
        file's document. */
    bool write (const juce::XmlElement& element, const juce::File& file, const BeforeReplacing& beforeReplacing = {});

    /** What tells one file from another, and one version of a file from the next. */
    struct Identity
    {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0, changedSeconds = 0, changedNanoseconds = 0;

        bool operator== (const Identity& other) const noexcept;
    };

    /** The identity of the entry under the name itself (a link, not what it leads to);
        none when there is nothing. */
    static std::optional<Identity> identifyEntry (const juce::String& path);

    /** Writes the text as a new file that replaces the target only once it is whole
        (BrioFileMoves::replaceWithNewFile); fills written, when given, with the identity
        the file then has. */
    static bool writeText (const juce::String& text, const juce::File& file, Identity* written,
                           const BeforeReplacing& beforeReplacing = {});

    /** Puts the names into JUCE's pool of identifiers in the pool's own order, so that
        each is appended rather than inserted (which moves every name after it); the
        parser finds them there while the identifiers are held. */
    static std::vector<juce::Identifier> poolInOrder (std::vector<std::string_view> names);

    /** How many documents were parsed: for tests. */
    int getNumParses() const;

private:
    BrioSettingsCache();
    ~BrioSettingsCache();

    struct Entry
    {
        Identity identity;
        juce::MemoryBlock bytes;
        bool settled = false;           // the file's times are old enough to tell versions apart
        Document document;              // its element parsed on the first read that wants it
        std::shared_ptr<const juce::XmlElement> sorted;     // likewise
    };

    enum class Form { none, asWritten, sorted };

    Document lookUp (const juce::File& file, Form form);
    void parse (Entry& entry, const juce::String& path);
    Document documentOf (Entry& entry, Form form);

    juce::CriticalSection lock;
    std::map<juce::String, Entry> entries;
    int numParses = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioSettingsCache)
};
