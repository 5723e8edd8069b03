#pragma once

#include <juce_core/juce_core.h>

#include "BrioFolderListing.h"
#include "BrioScopedDescriptor.h"

#include <functional>
#include <memory>
#include <sys/types.h>
#include <unordered_set>
#include <vector>

//==============================================================================
/**
    The presets folder tree as the preset browser offers it: every "*.qzr" file,
    folders in name order, each folder once however links lead to it, nothing outside
    the tree and nothing in a trash folder of a mount inside it (".Trash", ".Trash-$uid":
    what was deleted there is gone for the user).

    The presets folder may lie where every local user can write, so the walk is linear
    in what it reads and stops at limits that keep a menu usable; what lies beyond is
    left out and counted. Names that are not strict UTF-8 are left out too (see
    BrioFolderListing) and counted, so that a menu can say so.
*/
class BrioPresetTree
{
public:
    struct Limits
    {
        int maxDepth;           // folder levels below the root
        int maxFolders;
        int maxPresets;
        size_t maxEntries;      // directory entries read in all, presets or not
    };

    static constexpr Limits defaultLimits { 12, 4000, 25000, 200000 };

    struct Folder
    {
        juce::String name;
        std::vector<Folder> subfolders;
        juce::StringArray presetPaths;
    };

    /** What the walk read of each folder, to tell cheaply whether the disk changed:
        adding, removing or renaming an entry changes its folder's modification time. */
    class Stamp
    {
    public:
        /** False before the first walk, for another root, and when any walked folder
            (or where the root leads) is no longer as it was. */
        bool isCurrentFor (const juce::String& rootPath) const;

    private:
        friend class BrioPresetTree;

        struct FolderState
        {
            juce::String path;
            dev_t device;
            ino_t inode;
            struct timespec modified, changed;
            size_t namesHash;
            bool recent;        // changed so close to the walk that a later change may keep the time
        };

        static bool read (const juce::String& path, FolderState& state);
        static bool read (int fd, const juce::String& path, FolderState& state);
        static bool isUnchanged (const FolderState& was);

        juce::String rootPath, realRoot;
        struct timespec walkStarted {};
        std::vector<FolderState> folders;
        bool valid = false;
    };

    /** Called with each folder's path once the folder is listed, before its subfolders
        are opened: where a test changes the disk at the worst moment. */
    using ListedCallback = std::function<void (const juce::String& folderPath)>;

    /** Walks the tree below rootPath now. */
    explicit BrioPresetTree (const juce::String& rootPath, Limits limits = defaultLimits,
                             ListedCallback afterListing = {});

    /** Folders and files by name: runs of digits by value, letters without regard to
        case; names that differ only in case in a fixed order, so that their places stay
        the same from one walk to the next. */
    static int compareNames (const juce::String& first, const juce::String& second);

    /** Whether a folder of that name is a mount's trash, which the walk leaves out. */
    static bool isTrashFolderName (const juce::String& name);

    /** A path below the root as the walk's rules resolve it (resolvePreset). */
    struct ResolvedPreset
    {
        /** The path names a place below the root, as given or with its links resolved. */
        bool insideTree = false;

        /** The folder the preset lies in and its name there; no folder when the rules
            lead nowhere or the name is no preset's. */
        std::unique_ptr<BrioScopedDescriptor> folder;
        juce::String fileName;

        bool isPreset() const noexcept      { return folder != nullptr; }

        /** Whether a regular file stands under the name now, links followed, as the walk
            lists one. */
        bool isRegularFile() const;
    };

    /** Where a path below rootPath (one the walk gave) leads by the walk's own rules:
        each folder on its way opened in the one above it, from the root, never "..", nor
        a mount's trash, and a link only where the walk follows one, into the tree; the
        name a preset's. A folder swapped for a link since the walk leads nowhere outside
        the tree. Whatever acts on the preset acts on the folder opened here. */
    static ResolvedPreset resolvePreset (const juce::String& rootPath, const juce::String& presetPath);

    /** Reads a preset of the tree below rootPath where resolvePreset leads, the file itself
        as BrioFileReader reads one. A path outside the tree is read as BrioFileReader
        reads it. */
    static juce::Result readPreset (const juce::String& rootPath, const juce::String& presetPath,
                                    size_t maxBytes, juce::MemoryBlock& bytes);

    Folder root;
    Stamp stamp;
    int numPresets = 0;
    int numFolders = 0;
    int numUnreadableNames = 0;     // presets and folders whose names are not strict UTF-8
    bool limitReached = false;      // something was left out by the limits
    bool rootPathIsNotUtf8 = false; // the root resolves to a path that is not strict UTF-8: nothing was read

private:
    void walkFolder (Folder& folder, int fd, const juce::String& path, const juce::String& realPath, int depth);
    static int openInsideRoot (int rootFd, const juce::String& insideRoot, const juce::String& realPath);
    static int openFolderInTree (int parentFd, const juce::String& name);
    static int openPresetFolder (const juce::String& realRoot, const juce::StringArray& folders);
    bool admitSubfolder (const juce::String& realPath);
    void countUnreadable (const BrioFolderListing& listing);

    Limits limits;
    juce::String insideRoot;        // the real root with a trailing "/", for the prefix test
    std::unordered_set<juce::String> walked;
    ListedCallback afterListing;
    int rootFd = -1;
    size_t entriesLeft;
};
