#include "BrioPresetTree.h"

#include "BrioFileReader.h"
#include "BrioScopedDescriptor.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    const juce::String presetExtension (".qzr");

    bool isPresetName (const juce::String& name)
    {
        return name.endsWithIgnoreCase (presetExtension);
    }

    bool isRawPresetName (const std::string& raw)
    {
        const auto extension = presetExtension.toStdString();

        return raw.size() >= extension.size()
                && std::equal (extension.rbegin(), extension.rend(), raw.rbegin(),
                               [] (char a, char b) { return a == juce::CharacterFunctions::toLowerCase ((juce::juce_wchar) b); });
    }


    bool sameTime (const timespec& a, const timespec& b) noexcept
    {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }

    /** A name the walk may list a folder under: a plain name, no trash. */
    bool isFolderName (const juce::String& name)
    {
        return name.isNotEmpty() && name != "." && name != ".." && ! BrioPresetTree::isTrashFolderName (name);
    }

    std::vector<const BrioFolderListing::Entry*> sortedOfKind (const BrioFolderListing& listing,
                                                              BrioFolderListing::Kind kind)
    {
        std::vector<const BrioFolderListing::Entry*> result;

        for (const auto& entry : listing.getEntries())
            if (entry.kind == kind && (kind == BrioFolderListing::Kind::file ? isPresetName (entry.name)
                                                                            : ! BrioPresetTree::isTrashFolderName (entry.name)))
                result.push_back (&entry);

        std::sort (result.begin(), result.end(), [] (const auto* a, const auto* b)
        {
            return BrioPresetTree::compareNames (a->name, b->name) < 0;
        });

        return result;
    }
}

//==============================================================================
int BrioPresetTree::compareNames (const juce::String& a, const juce::String& b)
{
    if (const auto byNature = a.compareNatural (b, false); byNature != 0)
        return byNature;

    // Linux allows "Pad.qzr" beside "pad.qzr"; without a fixed order between them
    // their places could swap from one walk to the next.
    if (const auto byCase = a.compareNatural (b, true); byCase != 0)
        return byCase;

    return a.compare (b);
}

bool BrioPresetTree::isTrashFolderName (const juce::String& name)
{
    const juce::String trash (".Trash");

    return name == trash
            || (name.startsWith (trash + "-") && name.length() > trash.length() + 1
                 && name.substring (trash.length() + 1).containsOnly ("0123456789"));
}

//==============================================================================
BrioPresetTree::BrioPresetTree (const juce::String& rootPath, Limits limitsToUse, ListedCallback afterListingToUse)
    : limits (limitsToUse), afterListing (std::move (afterListingToUse)), entriesLeft (limitsToUse.maxEntries)
{
    ::clock_gettime (CLOCK_REALTIME_COARSE, &stamp.walkStarted);
    stamp.rootPath = rootPath;
    stamp.realRoot = BrioFolderListing::realPath (rootPath);

    if (stamp.realRoot.isEmpty())
    {
        const std::unique_ptr<char, decltype (&std::free)> resolved (::realpath (rootPath.toRawUTF8(), nullptr), &std::free);
        rootPathIsNotUtf8 = resolved != nullptr;
        return;
    }

    const BrioScopedDescriptor rootFolder (::open (stamp.realRoot.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    if (rootFolder.descriptor < 0)
        return;

    rootFd = rootFolder.descriptor;
    insideRoot = stamp.realRoot.endsWithChar ('/') ? stamp.realRoot : stamp.realRoot + "/";
    walked.insert (stamp.realRoot);
    stamp.valid = true;
    walkFolder (root, rootFd, rootPath, stamp.realRoot, 0);
    rootFd = -1;
}

int BrioPresetTree::openFolderInTree (int parentFd, const juce::String& name)
{
    if (! isFolderName (name))
        return -1;

    return BrioFolderListing::openSubfolder (parentFd, name);
}

int BrioPresetTree::openInsideRoot (int rootFd, const juce::String& insideRoot, const juce::String& realPath)
{
    // Folder by folder from the root, none of them a link: whatever was swapped since the
    // link was resolved, the walk stays inside the tree.
    int fd = ::fcntl (rootFd, F_DUPFD_CLOEXEC, 0);

    for (const auto& name : juce::StringArray::fromTokens (realPath.substring (insideRoot.length()), "/", {}))
    {
        if (fd < 0)
            break;

        const BrioScopedDescriptor parent (fd);
        fd = openFolderInTree (parent.descriptor, name);
    }

    return fd;
}

int BrioPresetTree::openPresetFolder (const juce::String& realRoot, const juce::StringArray& folders)
{
    const BrioScopedDescriptor rootFolder (::open (realRoot.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const auto insideRoot = realRoot.endsWithChar ('/') ? realRoot : realRoot + "/";
    int fd = rootFolder.descriptor < 0 ? -1 : ::fcntl (rootFolder.descriptor, F_DUPFD_CLOEXEC, 0);
    auto real = realRoot;

    for (const auto& name : folders)
    {
        if (fd < 0)
            break;

        const BrioScopedDescriptor parent (fd);
        fd = openFolderInTree (parent.descriptor, name);

        if (fd >= 0)
        {
            real = real + "/" + name;
            continue;
        }

        if (! isFolderName (name))
            break;

        // As the walk does: a link is followed only into the tree, and then from the root.
        real = BrioFolderListing::realPath (real + "/" + name);

        if (real.startsWith (insideRoot))
            fd = openInsideRoot (rootFolder.descriptor, insideRoot, real);
    }

    return fd;
}

BrioPresetTree::ResolvedPreset BrioPresetTree::resolvePreset (const juce::String& rootPath, const juce::String& presetPath)
{
    // The walk names a preset from the root as given, or from the real root once it has
    // followed a link.
    const auto realRoot = BrioFolderListing::realPath (rootPath);
    ResolvedPreset resolved;
    juce::String relative;

    for (const auto& root : { rootPath, realRoot })
    {
        if (const auto prefix = root.endsWithChar ('/') ? root : root + "/"; root.isNotEmpty() && presetPath.startsWith (prefix))
        {
            resolved.insideTree = true;
            relative = presetPath.substring (prefix.length());
        }
    }

    auto folders = juce::StringArray::fromTokens (relative, "/", {});
    const auto fileName = folders[folders.size() - 1];
    folders.remove (folders.size() - 1);

    if (! resolved.insideTree || realRoot.isEmpty() || ! isPresetName (fileName))
        return resolved;

    const auto fd = openPresetFolder (realRoot, folders);

    if (fd >= 0)
    {
        resolved.folder = std::make_unique<BrioScopedDescriptor> (fd);
        resolved.fileName = fileName;
    }

    return resolved;
}

bool BrioPresetTree::ResolvedPreset::isRegularFile() const
{
    struct stat info;

    return folder != nullptr && ::fstatat (folder->descriptor, fileName.toRawUTF8(), &info, 0) == 0
            && S_ISREG (info.st_mode);
}

juce::Result BrioPresetTree::readPreset (const juce::String& rootPath, const juce::String& presetPath,
                                         size_t maxBytes, juce::MemoryBlock& bytes)
{
    bytes.reset();
    const auto preset = resolvePreset (rootPath, presetPath);

    if (! preset.insideTree)
        return BrioFileReader::readRegularFile (juce::File (presetPath), maxBytes, bytes);

    if (! preset.isPreset())
        return juce::Result::fail ("\"" + presetPath + "\" is no longer in the presets folder.");

    return BrioFileReader::readRegularFile (preset.folder->descriptor, preset.fileName, presetPath, maxBytes, bytes);
}

bool BrioPresetTree::admitSubfolder (const juce::String& realPath)
{
    // A link may lead out of the tree (to / or /usr, say), or back up into it, where
    // the walk would go round without end: each folder is listed once, wherever the
    // links lead, and nothing outside the tree is read.
    return realPath.startsWith (insideRoot) && walked.insert (realPath).second;
}

void BrioPresetTree::countUnreadable (const BrioFolderListing& listing)
{
    for (const auto& entry : listing.getSkipped())
        if (entry.kind == BrioFolderListing::Kind::folder
             || (entry.kind == BrioFolderListing::Kind::file && isRawPresetName (entry.rawName)))
            ++numUnreadableNames;
}

void BrioPresetTree::walkFolder (Folder& folder, int fd, const juce::String& path, const juce::String& realPath, int depth)
{
    const BrioFolderListing listing (fd, entriesLeft);
    entriesLeft -= std::min (entriesLeft, listing.getNumRead());
    limitReached = limitReached || ! listing.isComplete();
    countUnreadable (listing);

    if (afterListing)
        afterListing (path);

    Stamp::FolderState state;

    if (Stamp::read (fd, realPath, state))
    {
        // File times come from a coarse clock: a change made in the same tick as one
        // the walk saw leaves the time as it was, so such a folder is told by its names.
        const auto recentFrom = stamp.walkStarted.tv_sec - 1;
        state.namesHash = listing.getNamesHash();
        state.recent = state.modified.tv_sec >= recentFrom || state.changed.tv_sec >= recentFrom;
        stamp.folders.push_back (state);
    }
    else
    {
        stamp.valid = false;
    }

    for (const auto* entry : sortedOfKind (listing, BrioFolderListing::Kind::folder))
    {
        if (depth >= limits.maxDepth || numFolders >= limits.maxFolders)
        {
            limitReached = true;
            break;
        }

        const auto childPath = path + "/" + entry->name;
        const auto childReal = entry->isLink ? BrioFolderListing::realPath (childPath) : realPath + "/" + entry->name;

        // A link that leads to a folder but resolves to no UTF-8 path is counted with
        // the names that are not UTF-8.
        if (childReal.isEmpty())
            ++numUnreadableNames;

        if (! admitSubfolder (childReal))
            continue;

        // Never opened by its path again: a folder swapped for a link since it was listed
        // would lead the walk out of the tree. A plain folder is opened in the one just
        // listed, a link that the walk chose to follow from the root.
        const BrioScopedDescriptor child (entry->isLink ? openInsideRoot (rootFd, insideRoot, childReal)
                                            : BrioFolderListing::openSubfolder (fd, entry->name));

        if (child.descriptor < 0)
            continue;

        ++numFolders;
        Folder subfolder;

        // A linked folder stands for the folder it leads to, under that folder's name.
        subfolder.name = entry->isLink ? childReal.fromLastOccurrenceOf ("/", false, false) : entry->name;
        walkFolder (subfolder, child.descriptor, entry->isLink ? childReal : childPath, childReal, depth + 1);
        folder.subfolders.push_back (std::move (subfolder));
    }

    // Walked in the order of the names in this folder, shown in the order of the names
    // they show: a link shows the name of the folder it leads to.
    std::stable_sort (folder.subfolders.begin(), folder.subfolders.end(), [] (const Folder& a, const Folder& b)
    {
        return compareNames (a.name, b.name) < 0;
    });

    for (const auto* entry : sortedOfKind (listing, BrioFolderListing::Kind::file))
    {
        if (numPresets >= limits.maxPresets)
        {
            limitReached = true;
            break;
        }

        folder.presetPaths.add (path + "/" + entry->name);
        ++numPresets;
    }
}

//==============================================================================
bool BrioPresetTree::Stamp::read (const juce::String& path, FolderState& state)
{
    struct stat info;

    if (::stat (path.toRawUTF8(), &info) != 0)
        return false;

    state = { path, info.st_dev, info.st_ino, info.st_mtim, info.st_ctim, 0, false };
    return true;
}

bool BrioPresetTree::Stamp::read (int fd, const juce::String& path, FolderState& state)
{
    struct stat info;

    if (::fstat (fd, &info) != 0)
        return false;

    state = { path, info.st_dev, info.st_ino, info.st_mtim, info.st_ctim, 0, false };
    return true;
}

bool BrioPresetTree::Stamp::isUnchanged (const FolderState& was)
{
    FolderState now;

    if (! read (was.path, now) || now.device != was.device || now.inode != was.inode
         || ! sameTime (now.modified, was.modified) || ! sameTime (now.changed, was.changed))
        return false;

    return ! was.recent || BrioFolderListing (was.path).getNamesHash() == was.namesHash;
}

bool BrioPresetTree::Stamp::isCurrentFor (const juce::String& root) const
{
    if (! valid || root != rootPath || BrioFolderListing::realPath (rootPath) != realRoot)
        return false;

    return std::all_of (folders.begin(), folders.end(), isUnchanged);
}
