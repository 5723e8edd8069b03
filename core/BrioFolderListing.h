#pragma once

#include <juce_core/juce_core.h>

#include <dirent.h>
#include <string>
#include <vector>

//==============================================================================
/**
    Lists folders that other users may write to, and turns what the file system says
    about them into JUCE strings only when that is safe.

    Linux names are bytes. JUCE makes a String from bytes that are not UTF-8 by decoding
    them as best it can (patches/ keeps that inside the block; JUCE 7.0.5 itself wrote
    past it), so such a name becomes the name of another file: an overlong "A" reads as
    "A". Its DirectoryIterator, File::getLinkedTarget, getSpecialLocation and
    SystemStats::getEnvironmentVariable all do that. Here a name becomes a String only
    when it is strict UTF-8, and then through the start-and-end constructor, which
    copies exactly the bytes it measured. Other names are reported as skipped, with
    their bytes, and never reach JUCE.
*/
class BrioFolderListing
{
public:
    enum class Kind { file, folder, other };

    struct Entry
    {
        juce::String name;
        Kind kind;
        bool isLink;
    };

    /** A name that is not strict UTF-8. */
    struct SkippedEntry
    {
        std::string rawName;
        Kind kind;
    };

    /** Reads the folder's entries, "." and ".." left out, links followed for the kind
        (so a dangling link is `other`). At most maxEntries are read; the rest are left
        out and isComplete() says so. */
    explicit BrioFolderListing (const juce::String& folderPath, size_t maxEntries = 1000000);

    /** Reads the entries of the folder the descriptor stands for, as above. The
        descriptor stays open and the caller's. */
    BrioFolderListing (int folderFd, size_t maxEntries);

    /** Opens the folder of that name in the folder parentFd stands for, without
        following a link there; -1 when it is no folder (a link to one included). The
        caller closes the descriptor. */
    static int openSubfolder (int parentFd, const juce::String& name);

    bool openedOk() const noexcept                            { return opened; }

    /** Why the folder could not be opened or read to its end (errno); 0 when it was. */
    int getError() const noexcept                             { return error; }
    bool isComplete() const noexcept                          { return complete; }
    const std::vector<Entry>& getEntries() const noexcept     { return entries; }
    const std::vector<SkippedEntry>& getSkipped() const noexcept { return skipped; }
    size_t getNumRead() const noexcept                        { return entries.size() + skipped.size(); }

    /** A hash of every name read with its type, in any order: equal for two readings
        of a folder whose entries did not change. */
    size_t getNamesHash() const noexcept                      { return namesHash; }

    //==============================================================================
    /** The bytes as a String when they are strict UTF-8 (BrioXmlGuard::isStrictUtf8),
        otherwise an empty String. */
    static juce::String fromStrictUtf8 (const char* bytes, size_t numBytes);
    static juce::String fromStrictUtf8 (const char* nullTerminated);

    /** The path with every link resolved (realpath), or an empty String when it can't
        be resolved or the result is not strict UTF-8. */
    static juce::String realPath (const juce::String& path);

    /** What a link points to (resolved against the link's folder), or the file itself
        when it is no link or its target is not strict UTF-8. */
    static juce::File followLink (const juce::File& file);

    /** The entry of that name in the folder, the name taken as a name, whatever it holds:
        JUCE's getChildFile and getSiblingFile read a name that begins with '~' as a home
        folder (or, with no such user, as relative to the working folder). The name must
        be one entry's, without '/', and neither "." nor "..". */
    static juce::File childOf (const juce::File& folder, const juce::String& name);

    /** An environment variable, or an empty String when unset or not strict UTF-8. */
    static juce::String environmentVariable (const char* name);

    /** Each entry of a list of paths in an environment variable (PATH: separated by
        colons), in order; entries that are not strict UTF-8 are left out. */
    static juce::StringArray environmentPathList (const char* name);

    /** The user's home folder where JUCE's userHomeDirectory looks (HOME, else the
        password database), or File() when that is not an absolute strict UTF-8 path. */
    static juce::File homeFolder();

private:
    void readEntries (DIR* folder, size_t maxEntries);

    std::vector<Entry> entries;
    std::vector<SkippedEntry> skipped;
    size_t namesHash = 0;
    int error = 0;
    bool opened = false;
    bool complete = true;
};
