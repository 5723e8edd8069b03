#include "BrioSettings.h"
#include "BrioFileMoves.h"
#include "BrioFileReader.h"
#include "BrioFolderListing.h"
#include "BrioScopedDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    const juce::String productNameWithBlanks ("Tanglefix");
    const juce::String makerNameWithBlanks ("Larkspan");

    juce::String withoutBlanks (const juce::String& s)
    {
        return s.removeCharacters (" \t");
    }

    /** A folder that is a symbolic link stands for its target. */
    juce::File followLink (const juce::File& folder)
    {
        return BrioFolderListing::followLink (folder);
    }

    /** The path with every symbolic link on the way resolved; a path that can't be
        resolved (a missing folder) stands as it is. */
    juce::File withLinksResolved (const juce::File& file)
    {
        const auto resolved = BrioFolderListing::realPath (file.getFullPathName());
        return resolved.isNotEmpty() ? juce::File (resolved) : file;
    }

    /** Copies the folder's files and, below it, its folders; linked folders are left
        out, so that no link leads the copy round in a circle. Like JUCE's
        copyDirectoryTo, whose listing can't be given names that are not UTF-8, but
        nothing that exists in the target is replaced. False when something could not
        be copied whole (a full disk): the import is tried again at the next start. */
    bool copyFolder (const juce::File& source, const juce::File& target, int depth)
    {
        constexpr int maxDepth = 32;

        if (depth > maxDepth)
            return true;

        if (! target.createDirectory())
            return false;

        BrioFileMoves::removeUnfinishedCopies (target);

        // A folder that the process failed to list (no descriptor left, a failing disk)
        // is still to be copied.
        const BrioFolderListing listing (source.getFullPathName());

        if (listing.getError() != 0 && BrioRegularFile::isFailureOfTheProcess (listing.getError()))
            return false;

        bool whole = true;

        for (const auto& entry : listing.getEntries())
        {
            // Names as names: JUCE's getChildFile reads "~Bass.qzr" as a home folder.
            const auto from = BrioFolderListing::childOf (source, entry.name);
            const auto to = BrioFolderListing::childOf (target, entry.name);

            if (entry.kind == BrioFolderListing::Kind::file)
                whole = BrioFileMoves::copyToNewFile (from, to) != BrioFileMoves::CopyResult::failed && whole;
            else if (entry.kind == BrioFolderListing::Kind::folder && ! entry.isLink)
                whole = copyFolder (from, to, depth + 1) && whole;
        }

        return whole;
    }

    /** True when the target folder is the source or lies inside it, however links lead
        there. Copying a folder into itself only ends when the path gets too long. */
    bool liesWithin (const juce::File& target, const juce::File& source)
    {
        const auto realTarget = withLinksResolved (target);
        const auto realSource = withLinksResolved (source);

        return realTarget == realSource || realTarget.isAChildOf (realSource);
    }

    /** The same file, unchanged but for its change time, which a new name sets. */
    bool isSameFile (const std::optional<BrioSettingsCache::Identity>& entry, const BrioSettingsCache::Identity& judged)
    {
        return entry.has_value() && entry->device == judged.device && entry->inode == judged.inode
                && entry->size == judged.size && entry->modifiedSeconds == judged.modifiedSeconds
                && entry->modifiedNanoseconds == judged.modifiedNanoseconds;
    }

    /** Gives the file the name aside as a second name while linked holds (cleared where the
        file system has no such links, or refuses one), else moves it there: 0, or the error
        (EEXIST when the name is taken). */
    int giveNameAside (const juce::File& file, const juce::File& aside, bool& linked)
    {
        if (linked)
        {
            const auto error = BrioFileMoves::linkWithoutReplacing (file, aside);

            if (error == 0 || error == EEXIST)
                return error;

            linked = false;
        }

        return BrioFileMoves::moveWithoutReplacing (file, aside);
    }

    /** The name aside that the file already has: one a save gave it before it was killed,
        or before its new settings could not take the file's place. */
    juce::String nameAlreadyAside (const juce::File& file, const BrioSettingsCache::Identity& judged)
    {
        struct stat info {};

        if (::lstat (file.getFullPathName().toRawUTF8(), &info) != 0 || ! S_ISREG (info.st_mode) || info.st_nlink < 2)
            return {};

        const auto folder = file.getParentDirectory();
        const auto prefix = file.getFileName() + ".unreadable-";

        const BrioFolderListing listing (folder.getFullPathName());

        for (const auto& entry : listing.getEntries())
        {
            if (entry.kind != BrioFolderListing::Kind::file || entry.isLink || ! entry.name.startsWith (prefix))
                continue;

            const auto aside = BrioFolderListing::childOf (folder, entry.name).getFullPathName();

            if (isSameFile (BrioSettingsCache::identifyEntry (aside), judged))
                return aside;
        }

        return {};
    }

    /** Holds an advisory lock (flock) on what the descriptor stands for while it lives,
        waiting while another instance holds it, but not for ever: anybody who may open the
        shared folder may hold the lock, and a host must not hang for that. Where no lock can
        be had (no descriptor, a file system without them), the work goes on unlocked, as
        before there were any. */
    class ScopedAdvisoryLock
    {
    public:
        ScopedAdvisoryLock (int descriptorToOwn, int maxWaitMilliseconds) noexcept  : file (descriptorToOwn)
        {
            constexpr int pollMilliseconds = 5;

            for (int waited = 0; file.descriptor >= 0; waited += pollMilliseconds)
            {
                if (::flock (file.descriptor, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR))
                    return;

                if (waited >= maxWaitMilliseconds)
                {
                    timedOut = true;
                    return;
                }

                ::usleep (pollMilliseconds * 1000);
            }
        }

        /** Another held the lock for longer than the wait. */
        bool hasTimedOut() const noexcept    { return timedOut; }

    private:
        const BrioScopedDescriptor file;     // closing it lets go of the lock
        bool timedOut = false;
    };

    /** How long an instance waits for another's import (seconds for a large one), and for
        another's save (milliseconds). */
    constexpr int importLockWaitMilliseconds = 10000;
    constexpr int saveLockWaitMilliseconds = 2000;

    /** The file whose lock lets one instance at a time import the older presets. Any user's
        instance takes the same lock: one that may not write the file reads it. */
    int openImportLock (const juce::String& settingsFolder)
    {
        const auto path = settingsFolder + BrioStoredNames::importLockFileName;
        constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        auto descriptor = ::open (path.toRawUTF8(), O_RDWR | O_CREAT | flags, 0666);

        if (descriptor < 0 && errno == EACCES)
            descriptor = ::open (path.toRawUTF8(), O_RDONLY | flags);

        struct stat info {};

        if (descriptor >= 0 && (::fstat (descriptor, &info) != 0 || ! S_ISREG (info.st_mode)))
        {
            ::close (descriptor);
            return -1;
        }

        return descriptor;
    }

    /** Takes the older settings file that the import copied into the settings, whole:
        false while that is not done (the process or the device failed, a full disk), so
        that the next start completes it; true once taken, or when there is none to take. */
    bool takeOlderSettings (const juce::File& older, const juce::File& copy, const juce::File& settingsFile)
    {
        juce::MemoryBlock olderBytes, copiedBytes;
        auto olderOutcome = BrioRegularFile::Outcome::read, copyOutcome = BrioRegularFile::Outcome::read;
        const auto olderRead = BrioFileReader::readRegularFile (older, BrioSettingsCache::maxFileBytes, olderBytes, &olderOutcome);
        const auto copyRead = BrioFileReader::readRegularFile (copy, BrioSettingsCache::maxFileBytes, copiedBytes, &copyOutcome);

        if (olderOutcome == BrioRegularFile::Outcome::failed || copyOutcome == BrioRegularFile::Outcome::failed)
            return false;

        // The copy lies in the shared folder, where anybody may put a file under its name:
        // only a plain file of settings size is taken, and only when it holds what the
        // older folder's own file holds (an earlier import's that was cut short included).
        if (olderRead.failed() || copyRead.failed() || ! BrioFileReader::haveSameBytes (olderBytes, copiedBytes))
            return true;

        if (! BrioFileMoves::replaceWithNewFile (settingsFile, olderBytes.getData(), olderBytes.getSize()))
        {
            juce::Logger::writeToLog ("The older settings could not be written to \"" + settingsFile.getFullPathName()
                                      + "\"; the import completes at the next start.");
            return false;
        }

        copy.moveToTrash();
        return true;
    }

    /** One attribute as an element's text holds it. */
    struct AttributeText
    {
        std::string_view rawName;
        std::string_view text;      // ' name="escaped value"', after one blank
    };

    /** The attributes of the text that JUCE wrote for an element without wrapping: '<tag',
        then ' name="value"' for each, the value escaped so that it holds no '"', then the
        end of the tag. */
    std::vector<AttributeText> splitAttributes (const juce::String& text, const juce::String& tagName)
    {
        const std::string_view all (text.toRawUTF8(), text.getNumBytesAsUTF8());
        std::vector<AttributeText> attributes;
        auto pos = 1 + tagName.getNumBytesAsUTF8();

        while (pos < all.size() && all[pos] == ' ')
        {
            const auto nameEnd = all.find ("=\"", pos);
            const auto valueEnd = nameEnd == std::string_view::npos ? nameEnd : all.find ('"', nameEnd + 2);

            if (valueEnd == std::string_view::npos)
                break;

            attributes.push_back ({ all.substr (pos + 1, nameEnd - pos - 1), all.substr (pos, valueEnd + 1 - pos) });
            pos = valueEnd + 1;
        }

        return attributes;
    }

    bool isBlank (char c) noexcept
    {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    }

    /** Characters that JUCE's parser takes into a name wherever they stand. */
    bool isPlainNameChar (char c) noexcept
    {
        return juce::CharacterFunctions::isLetterOrDigit (c) || c == '_' || c == ':' || c == '.' || c == '-';
    }

    size_t skipBlanks (std::string_view text, size_t pos)
    {
        while (pos < text.size() && isBlank (text[pos]))
            ++pos;

        return pos;
    }

    size_t endOfName (std::string_view text, size_t pos)
    {
        while (pos < text.size() && (text[pos] & 0x80) == 0 && isPlainNameChar (text[pos]))
            ++pos;

        return pos;
    }

    /** The attributes of a document that is one element of plain attributes and nothing
        else, as the store writes it: an optional XML declaration, '<tag', blank-separated
        name="value" pairs with ASCII names and no '<' in the values, '/>'. False for any
        other document (comments, children, other quotes), which JUCE's parser must read. */
    bool splitPlainDocument (std::string_view text, std::string_view& tagName, std::vector<AttributeText>& attributes)
    {
        auto pos = skipBlanks (text, 0);

        if (text.substr (pos, 5) == "<?xml")
        {
            const auto declarationEnd = text.find ("?>", pos);

            if (declarationEnd == std::string_view::npos)
                return false;

            pos = skipBlanks (text, declarationEnd + 2);
        }

        if (pos >= text.size() || text[pos] != '<')
            return false;

        const auto tagEnd = endOfName (text, pos + 1);
        tagName = text.substr (pos + 1, tagEnd - pos - 1);

        if (tagName.empty())
            return false;

        for (pos = tagEnd; pos < text.size() && isBlank (text[pos]);)
        {
            const auto nameStart = pos + 1;
            const auto nameEnd = endOfName (text, nameStart);

            if (nameEnd == nameStart || text.substr (nameEnd, 2) != "=\"")
                break;

            const auto valueEnd = text.find ('"', nameEnd + 2);

            if (valueEnd == std::string_view::npos || text.substr (nameEnd + 2, valueEnd - nameEnd - 2).find ('<') != std::string_view::npos)
                return false;

            attributes.push_back ({ text.substr (nameStart, nameEnd - nameStart), text.substr (pos, valueEnd + 1 - pos) });
            pos = valueEnd + 1;
        }

        pos = skipBlanks (text, pos);
        return text.substr (pos, 2) == "/>" && skipBlanks (text, pos + 2) == text.size();
    }

    /** Each name upper-cased, as compareIgnoreCase compares them character by character,
        each character as three bytes, high first: the byte order of two keys is the order of
        their characters. */
    std::vector<std::string> upperCaseNames (const std::vector<AttributeText>& attributes)
    {
        std::vector<std::string> upperCase;
        upperCase.reserve (attributes.size());

        for (const auto& attribute : attributes)
        {
            auto& upper = upperCase.emplace_back();
            juce::CharPointer_UTF8 c (attribute.rawName.data());
            const auto* end = attribute.rawName.data() + attribute.rawName.size();

            while (c.getAddress() < end)
            {
                const auto u = (uint32_t) juce::CharacterFunctions::toUpperCase (c.getAndAdvance());
                upper += { (char) (u >> 16), (char) (u >> 8), (char) u };
            }
        }

        return upperCase;
    }

    /** The element's text with its attributes in the order JUCE's StringArray::sort (true)
        puts their names: std::sort is not stable, but the same comparisons give the same
        order, so names equal but for case keep the order they always had; each name is
        upper-cased once rather than at every comparison. A repeated name reads as its
        first, and is written once, where it first sorted. Fills written with the names. */
    juce::String sortedText (std::string_view tagName, const std::vector<AttributeText>& attributes,
                             std::vector<std::string_view>& written)
    {
        const auto upperCase = upperCaseNames (attributes);
        std::vector<size_t> order (attributes.size());

        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;

        std::sort (order.begin(), order.end(), [&] (size_t a, size_t b) { return upperCase[a] < upperCase[b]; });

        juce::MemoryOutputStream sorted;
        sorted << "<";
        sorted.write (tagName.data(), tagName.size());
        written.clear();

        const auto write = [&] (size_t index)
        {
            sorted.write (attributes[index].text.data(), attributes[index].text.size());
            written.push_back (attributes[index].rawName);
        };

        for (size_t i = 0; i < order.size();)
        {
            // Repeats lie among the names equal but for case: a run of one, as a rule.
            auto end = i + 1;

            while (end < order.size() && upperCase[order[end]] == upperCase[order[i]])
                ++end;

            if (end == i + 1)
            {
                write (order[i]);
            }
            else
            {
                std::unordered_map<std::string_view, size_t> first;

                for (auto j = i; j < end; ++j)
                {
                    const auto [found, added] = first.emplace (attributes[order[j]].rawName, order[j]);

                    if (! added)
                        found->second = std::min (found->second, order[j]);
                }

                for (auto j = i; j < end; ++j)
                {
                    if (const auto found = first.find (attributes[order[j]].rawName); found != first.end())
                    {
                        write (found->second);
                        first.erase (found);
                    }
                }
            }

            i = end;
        }

        sorted << "/>";
        return sorted.toString();
    }

    /** JUCE keeps every attribute name in a global pool, a sorted array that takes each new
        name by moving all the names after it (see BrioSettingsCache). Names that arrive in
        the pool's order are appended, so only those that would arrive out of order are
        pooled first, in order, and held until the parser has looked them up; all of them
        when there are many, as each insert before them moves them all. */
    std::vector<juce::Identifier> poolOutOfOrderNames (const std::vector<std::string_view>& names)
    {
        constexpr size_t maxMovedPerInsert = 256;
        std::vector<std::string_view> outOfOrder;
        std::string_view highest;

        for (const auto& name : names)
        {
            if (name < highest)
                outOfOrder.push_back (name);
            else
                highest = name;
        }

        if (outOfOrder.size() > maxMovedPerInsert)
            outOfOrder = names;

        return BrioSettingsCache::poolInOrder (std::move (outOfOrder));
    }
}

//==============================================================================
BrioSettings::BrioSettings()
    : productName (withoutBlanks (productNameWithBlanks)),
      makerName (withoutBlanks (makerNameWithBlanks)),
      names { {}, productName, makerName }
{
}

BrioSettings::~BrioSettings() = default;

//==============================================================================
juce::String BrioSettings::resolveAndCreateFolder (juce::File folder)
{
    folder = followLink (folder);

    // A folder that can't be created is still handed out: the file operations on it
    // fail later, each in its own quiet way.
    if (! folder.exists())
        folder.createDirectory();

    return folder.getFullPathName();
}

juce::String BrioSettings::getBaseFolder() const
{
    const auto shared = juce::File::getSpecialLocation (juce::File::commonDocumentsDirectory);
    return resolveAndCreateFolder (shared.getFullPathName() + "/" + makerName);
}

juce::String BrioSettings::getPresetsFolder() const
{
    return resolveAndCreateFolder (getBaseFolder() + BrioStoredNames::presetsSegment + productName);
}

juce::String BrioSettings::getSettingsFolder() const
{
    return resolveAndCreateFolder (getBaseFolder() + BrioStoredNames::settingsSegment);
}

juce::String BrioSettings::getGlobalSettingsFile() const
{
    return getSettingsFolder() + "/" + productName + BrioStoredNames::globalSettingsExtension;
}

juce::String BrioSettings::getSecondSettingsFile() const
{
    return getSettingsFolder() + BrioStoredNames::secondSettingsFileName;
}

juce::String BrioSettings::getLegacyPresetsFolder() const
{
    // Not JUCE's userHomeDirectory: a home that is not strict UTF-8 would name another
    // folder there (or, in older JUCE, overrun the heap). Such a home has no older folder.
    const auto home = BrioFolderListing::homeFolder();

    if (home == juce::File())
        return {};

    if (names.productName.isEmpty())
        return home.getFullPathName();

    auto folder = followLink (home.getChildFile (BrioStoredNames::legacyFirstFolder));
    folder = followLink (folder.getChildFile (BrioStoredNames::legacySecondFolder));
    folder = followLink (folder.getChildFile (names.makerName + BrioStoredNames::legacyMakerSuffix));

    return folder.getChildFile (names.productName).getFullPathName();
}

//==============================================================================
juce::XmlElement* BrioSettings::loadInto (std::unique_ptr<juce::XmlElement>& cached, LoadState& load,
                                          const juce::File& file, const juce::String& rootName, bool sortAttributes)
{
    const auto document = cache.read (file, sortAttributes);

    if (document.kind == BrioSettingsCache::Kind::absent)
        file.create();

    // Nothing is known of a file that the process or the device failed to read (a host
    // out of descriptors): saved over, its settings would be lost.
    load.failed = document.kind == BrioSettingsCache::Kind::failed;
    load.unreadable = document.kind == BrioSettingsCache::Kind::unreadable;

    if (load.failed)
        juce::Logger::writeToLog (document.reason + " Its settings are not used, and nothing is saved over them"
                                  " until it is read.");

    // A file that is empty, malformed, or that could trap the parser, counts as empty
    // here; it is set aside once new settings are written beside it.
    cached = document.element != nullptr ? std::make_unique<juce::XmlElement> (*document.element)
                                         : std::make_unique<juce::XmlElement> (rootName);
    return cached.get();
}

bool BrioSettings::setAsideIfUnreadable (const juce::File& file, SetAside& setAside)
{
    const auto path = file.getFullPathName();

    // Another instance may set the file aside and write its own settings at any moment:
    // only the file that was judged is moved, so whatever stands there after the judgement
    // is judged again.
    for (int judgement = 0; judgement < 8; ++judgement)
    {
        const auto judged = BrioSettingsCache::identifyEntry (path);
        const auto document = cache.examine (file);

        if (document.kind == BrioSettingsCache::Kind::failed)
        {
            juce::Logger::writeToLog (document.reason + " No settings are written there.");
            return false;
        }

        if (document.kind != BrioSettingsCache::Kind::unreadable)
            return true;

        if (! judged.has_value() || ! (BrioSettingsCache::identifyEntry (path) == judged))
            continue;

        // One fault keeps one name aside: a save killed between its second name and its
        // rename, or one whose rename failed, gave it one already.
        if (const auto given = nameAlreadyAside (file, *judged); given.isNotEmpty())
        {
            setAside = { given, document.reason, true, false };
            return true;
        }

        // Under a name of its own, never over another file: it may hold settings that a
        // later version wrote, or a user's by mistake. A second name first, which the new
        // settings' rename then takes the first from: another instance that loads meanwhile
        // never finds the name empty (and writes defaults, or imports the older presets
        // again). Moved where the file system has no such links (or refuses one to another
        // user's file).
        const auto stamp = juce::Time::getCurrentTime().formatted ("%Y%m%d-%H%M%S");
        juce::String aside;
        auto linked = true;
        auto error = EEXIST;

        for (int attempt = 1; attempt <= 100 && error == EEXIST; ++attempt)
        {
            aside = path + ".unreadable-" + stamp + (attempt > 1 ? "-" + juce::String (attempt) : juce::String());
            error = giveNameAside (file, juce::File (aside), linked);
        }

        if (error != 0)
        {
            juce::Logger::writeToLog (document.reason + " It could not be set aside (" + juce::String (std::strerror (error))
                                      + "), so no settings are written there.");
            return false;
        }

        // What replaced the file since it was judged (another instance's good settings) goes
        // back: a second name is taken back, a file moved is moved back.
        if (! isSameFile (BrioSettingsCache::identifyEntry (aside), *judged))
        {
            if ((linked ? ::unlink (aside.toRawUTF8()) : BrioFileMoves::moveWithoutReplacing (juce::File (aside), file)) != 0)
            {
                juce::Logger::writeToLog ("\"" + path + "\" was replaced while it was set aside, and what replaced it could not"
                                          " be put back from \"" + aside + "\", so no settings are written there.");
                return false;
            }

            continue;
        }

        setAside = { aside, document.reason, linked, true };
        return true;
    }

    juce::Logger::writeToLog ("\"" + path + "\" kept changing while it was read, so no settings are written there.");
    return false;
}

bool BrioSettings::save (juce::XmlElement& element, const LoadState& load, const juce::File& file, bool marksMigration)
{
    if (load.failed)
    {
        juce::Logger::writeToLog ("Settings are not saved to \"" + file.getFullPathName()
                                  + "\": it could not be read, and its settings would be lost.");
        return false;
    }

    // One save at a time among the instances: two that set the same unreadable file aside
    // at once would give it two names aside, and take back each other's.
    const ScopedAdvisoryLock saving (::open (file.getParentDirectory().getFullPathName().toRawUTF8(),
                                            O_RDONLY | O_DIRECTORY | O_CLOEXEC),
                                     saveLockWaitMilliseconds);

    if (saving.hasTimedOut())
        juce::Logger::writeToLog ("Another process kept the settings folder locked; settings are saved without waiting for it.");

    // Whether the older presets were moved is unknown once the file is set aside: a second
    // copy would go over the copies the user has edited since, so they count as moved. The
    // same holds for every store that loaded it, though another has set it aside since.
    std::unique_ptr<juce::XmlElement> marked;

    if (marksMigration && (load.unreadable || cache.getKind (file) == BrioSettingsCache::Kind::unreadable))
    {
        marked = std::make_unique<juce::XmlElement> (element);
        marked->setAttribute (BrioStoredNames::presetsMigratedKey, 1);
    }

    SetAside setAside;
    const auto written = cache.write (marked != nullptr ? *marked : element, file,
                                      [&] { return setAsideIfUnreadable (file, setAside); });

    if (written && marked != nullptr)
        element.setAttribute (BrioStoredNames::presetsMigratedKey, 1);

    if (setAside.path.isEmpty())
        return written;

    // Where the new settings could not take its place, it goes back under its name; a name
    // aside it had before this save stays.
    const auto putBack = [&]
    {
        if (! setAside.givenHere)
            return true;

        return setAside.stillUnderItsName ? ::unlink (setAside.path.toRawUTF8()) == 0
                                          : BrioFileMoves::moveWithoutReplacing (juce::File (setAside.path), file) == 0;
    };

    if (written)
        juce::Logger::writeToLog (setAside.reason + " It was set aside as \"" + setAside.path
                                  + "\", and new settings were written in its place.");
    else if (putBack())
        juce::Logger::writeToLog (setAside.reason + " The new settings could not take its place, so it stays there.");
    else
        juce::Logger::writeToLog (setAside.reason + " It was set aside as \"" + setAside.path
                                  + "\", but the new settings could not take its place.");

    return written;
}

bool BrioSettings::writeDocument (const juce::XmlElement& element, const juce::File& file)
{
    return BrioSettingsCache::writeText (element.toString(), file, nullptr);
}

std::unique_ptr<juce::XmlElement> BrioSettings::sortedCopy (const juce::XmlElement& element)
{
    // JUCE's XmlElement reaches an attribute by index, finds one by name and appends one
    // only by walking its whole list, so a copy made attribute by attribute is quadratic:
    // minutes for a file at the size limit, which any local user can plant in the shared
    // settings folder. Writing an element and parsing one are single passes, so the copy
    // is made from the element's own text, its attributes put in the sorted order.
    // All attributes on the tag's one line. Not JUCE's single-line format: that writes a
    // null line break for a child element after a text child, which a file may hold.
    juce::XmlElement::TextFormat format;
    format.addDefaultHeader = false;
    format.lineWrapLength = std::numeric_limits<int>::max();

    const auto text = element.toString (format);
    const auto tagName = element.getTagName();
    std::vector<std::string_view> written;
    const auto sorted = sortedText ({ tagName.toRawUTF8(), tagName.getNumBytesAsUTF8() },
                                    splitAttributes (text, tagName), written);

    if (auto copy = juce::parseXML (sorted))
        return copy;

    jassertfalse;   // JUCE reads back what it wrote
    return std::make_unique<juce::XmlElement> (element.getTagName());
}

std::unique_ptr<juce::XmlElement> BrioSettings::parseSortedIfPlain (const char* text, size_t numBytes)
{
    std::string_view tagName;
    std::vector<AttributeText> attributes;

    if (! splitPlainDocument ({ text, numBytes }, tagName, attributes))
        return {};

    std::vector<std::string_view> written;
    const auto sortedDocument = sortedText (tagName, attributes, written);
    const auto pooled = poolOutOfOrderNames (written);
    auto sorted = juce::parseXML (sortedDocument);

    // Anything JUCE reads otherwise than split here goes the long way.
    if (sorted == nullptr || (size_t) sorted->getNumAttributes() != written.size())
        return {};

    return sorted;
}

juce::String BrioSettings::globalRootName() const
{
    return productName + "_GLOBAL_SETTINGS";
}

juce::XmlElement& BrioSettings::global()
{
    return globalSettings != nullptr ? *globalSettings : *loadGlobalSettings (true);
}

juce::XmlElement& BrioSettings::second()
{
    return secondSettings != nullptr ? *secondSettings : *loadSecondSettings (true);
}

//==============================================================================
juce::XmlElement* BrioSettings::loadGlobalSettings (bool sortAttributes)
{
    return loadInto (globalSettings, globalLoad, getGlobalSettingsFile(), globalRootName(), sortAttributes);
}

bool BrioSettings::saveGlobalSettings()
{
    auto& element = global();
    return save (element, globalLoad, getGlobalSettingsFile(), true);
}

juce::String BrioSettings::getGlobalString (const juce::String& key, const juce::String& defaultValue)
{
    return global().getStringAttribute (key, defaultValue);
}

double BrioSettings::getGlobalDouble (const juce::String& key, double defaultValue)
{
    return global().getDoubleAttribute (key, defaultValue);
}

void BrioSettings::setGlobalString (const juce::String& key, const juce::String& value, bool shouldSave)
{
    global().setAttribute (key, value);

    if (shouldSave)
        saveGlobalSettings();
}

void BrioSettings::setGlobalValue (const juce::String& key, double value, bool shouldSave)
{
    global().setAttribute (key, value);

    if (shouldSave)
        saveGlobalSettings();
}

//==============================================================================
juce::XmlElement* BrioSettings::loadSecondSettings (bool sortAttributes)
{
    return loadInto (secondSettings, secondLoad, getSecondSettingsFile(), BrioStoredNames::secondSettingsRootName,
                     sortAttributes);
}

bool BrioSettings::saveSecondSettings()
{
    auto& element = second();
    return save (element, secondLoad, getSecondSettingsFile(), false);
}

juce::String BrioSettings::getSecondString (const juce::String& key, const juce::String& defaultValue)
{
    return second().getStringAttribute (key, defaultValue);
}

bool BrioSettings::getSecondBool (const juce::String& key, bool defaultValue)
{
    return second().getBoolAttribute (key, defaultValue);
}

void BrioSettings::setSecondString (const juce::String& key, const juce::String& value, bool shouldSave)
{
    second().setAttribute (key, value);

    if (shouldSave)
        saveSecondSettings();
}

//==============================================================================
void BrioSettings::migratePresetsOnce()
{
    const juce::File settingsFile (getGlobalSettingsFile());

    // A settings file that can't be read, or that the process failed to read just now, may
    // well say that the presets were moved: moving them again would bring back what the user
    // has deleted since, and its settings would be lost under the flag written below.
    const auto isDecided = [&]
    {
        const auto kind = cache.getKind (settingsFile);

        if (kind == BrioSettingsCache::Kind::unreadable || kind == BrioSettingsCache::Kind::failed)
            return true;

        loadGlobalSettings (true);
        return globalLoad.failed || globalSettings->getBoolAttribute (BrioStoredNames::presetsMigratedKey, false);
    };

    if (isDecided())
        return;

    // One instance imports at a time (a host that loads two at once, a scanner beside the
    // host): another would take the older settings to the trash halfway through this one's
    // import, which then saved the settings it had loaded over them. The one that waited
    // decides from the settings as they are once it may.
    const ScopedAdvisoryLock importing (openImportLock (getSettingsFolder()), importLockWaitMilliseconds);

    if (isDecided())
        return;

    if (importing.hasTimedOut())
    {
        juce::Logger::writeToLog ("Another process kept the import of the older presets locked; it is tried again"
                                  " at the next start.");
        return;
    }

    const auto legacyPath = getLegacyPresetsFolder();

    // Without a usable home the older folder is unknown: try again at the next start
    // (JUCE's moveToTrash below would reach for the same home).
    if (legacyPath.isEmpty())
        return;

    const juce::File legacyFolder (legacyPath);
    const juce::String presets = getPresetsFolder();

    // An older folder that links to the new one (or to a folder above it) has nothing
    // to move, and copying it would copy the new folder into itself.
    if (legacyFolder.isDirectory() && ! liesWithin (juce::File (presets), legacyFolder))
    {
        // Names that are not strict UTF-8 stay behind. Until every copy is whole, and the
        // older settings are taken whole (a full disk), the import is not done: the next
        // start completes it.
        if (! copyFolder (legacyFolder, presets + BrioStoredNames::legacyImportSegment, 0))
            return;

        const juce::File legacySettings (presets + BrioStoredNames::legacySettingsFile);

        if (! takeOlderSettings (BrioFolderListing::childOf (legacyFolder, legacySettings.getFileName()), legacySettings,
                                 settingsFile))
            return;

        // Keep what the older settings file held: the flag below goes into the copied
        // settings rather than writing the old element back over them.
        loadGlobalSettings (true);
    }

    setGlobalValue (BrioStoredNames::presetsMigratedKey, 1, true);
}
