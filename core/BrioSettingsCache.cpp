#include "BrioSettingsCache.h"
#include "BrioSettings.h"
#include "BrioFileMoves.h"
#include "BrioFileReader.h"
#include "BrioScopedDescriptor.h"
#include "BrioXmlGuard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace
{
    /** The settings files lie in a folder every user and application can write to, so
        they are read like any other text from outside. Each holds one element with a
        few attributes. */
    constexpr BrioXmlGuard::Limits settingsFileLimits { BrioSettingsCache::maxFileBytes, 256 };

    /** A file changed within this many seconds before it was read may change again
        without its times changing. File times follow a coarse clock, a tick of a few
        milliseconds on most systems; the margin is wide. */
    constexpr std::int64_t recentSeconds = 2;

    bool isNameByte (char c) noexcept
    {
        return c != 0 && ! juce::CharacterFunctions::isWhitespace (c)
                && std::string_view ("<>/=\"'&;!?").find (c) == std::string_view::npos;
    }

    /** JUCE keeps every attribute name in a global pool, a sorted array that takes each
        new name by moving all the names after it: names that arrive in a file's order
        cost a move of half the pool each, seconds for a settings file at the size limit,
        while names that arrive in ascending order are appended. So whatever in the text
        looks like an attribute name ("name=") is pooled first, sorted, and held until the
        parser has looked its names up. A word that is no name costs a little memory until
        the pool next drops what nothing uses. */
    std::vector<juce::Identifier> poolNamesInOrder (std::string_view text)
    {
        std::vector<std::string_view> names;

        for (auto equals = text.find ('='); equals != std::string_view::npos; equals = text.find ('=', equals + 1))
        {
            auto end = equals;

            while (end > 0 && juce::CharacterFunctions::isWhitespace (text[end - 1]))
                --end;

            auto start = end;

            while (start > 0 && isNameByte (text[start - 1]))
                --start;

            if (start < end && BrioXmlGuard::isStrictUtf8 (text.data() + start, end - start))
                names.push_back (text.substr (start, end - start));
        }

        return BrioSettingsCache::poolInOrder (std::move (names));
    }

    BrioSettingsCache::Identity identityOf (const struct stat& info)
    {
        return { (std::uint64_t) info.st_dev, (std::uint64_t) info.st_ino, (std::int64_t) info.st_size,
                 (std::int64_t) info.st_mtim.tv_sec, (std::int64_t) info.st_mtim.tv_nsec,
                 (std::int64_t) info.st_ctim.tv_sec, (std::int64_t) info.st_ctim.tv_nsec };
    }

    /** The identity of the file the path leads to; error says why there is none. */
    std::optional<BrioSettingsCache::Identity> identify (const juce::String& path, int& error)
    {
        struct stat info {};

        if (::stat (path.toRawUTF8(), &info) != 0)
        {
            error = errno;
            return {};
        }

        return identityOf (info);
    }

    std::optional<BrioSettingsCache::Identity> identify (const juce::String& path)
    {
        int ignored = 0;
        return identify (path, ignored);
    }

    /** What stands under a name that leads to no file, for the error stat gave: nothing,
        not even a link that leads nowhere; something that can't be read; or nothing known,
        when the process or the device failed. */
    BrioSettingsCache::Document withoutFile (const juce::String& path, int error)
    {
        struct stat info {};

        if (! BrioRegularFile::isFailureOfTheProcess (error) && ::lstat (path.toRawUTF8(), &info) != 0)
        {
            error = errno;

            if (error == ENOENT || error == ENOTDIR)
                return {};
        }

        return { BrioRegularFile::isFailureOfTheProcess (error) ? BrioSettingsCache::Kind::failed
                                                                : BrioSettingsCache::Kind::unreadable,
                 nullptr, "\"" + path + "\" could not be opened: " + juce::String (std::strerror (error)) + "." };
    }

    /** The text as BrioXmlGuard reads a document: after a byte-order mark, up to the
        first zero byte. */
    std::string_view documentText (const juce::MemoryBlock& bytes)
    {
        std::string_view text (static_cast<const char*> (bytes.getData()), bytes.getSize());

        if (text.size() >= 3 && juce::CharPointer_UTF8::isByteOrderMark (text.data()))
            text.remove_prefix (3);

        return text.substr (0, text.find ('\0'));
    }

    std::int64_t secondsNow()
    {
        timespec now {};
        ::clock_gettime (CLOCK_REALTIME, &now);
        return (std::int64_t) now.tv_sec;
    }

    /** The change time follows every change, a modification time put back included. */
    bool isSettled (const BrioSettingsCache::Identity& identity, std::int64_t readAt)
    {
        return std::max (identity.modifiedSeconds, identity.changedSeconds) + recentSeconds < readAt;
    }
}

//==============================================================================
bool BrioSettingsCache::Identity::operator== (const Identity& other) const noexcept
{
    return device == other.device && inode == other.inode && size == other.size
            && modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds
            && changedSeconds == other.changedSeconds && changedNanoseconds == other.changedNanoseconds;
}

std::optional<BrioSettingsCache::Identity> BrioSettingsCache::identifyEntry (const juce::String& path)
{
    struct stat info {};

    if (::lstat (path.toRawUTF8(), &info) != 0)
        return {};

    return identityOf (info);
}

std::vector<juce::Identifier> BrioSettingsCache::poolInOrder (std::vector<std::string_view> names)
{
    // Byte order is the pool's order: UTF-8 sorts as the code points it encodes.
    std::sort (names.begin(), names.end());
    names.erase (std::unique (names.begin(), names.end()), names.end());

    std::vector<juce::Identifier> pooled;
    pooled.reserve (names.size());

    for (const auto& name : names)
        pooled.emplace_back (juce::CharPointer_UTF8 (name.data()), juce::CharPointer_UTF8 (name.data() + name.size()));

    return pooled;
}

BrioSettingsCache& BrioSettingsCache::getInstance()
{
    static BrioSettingsCache cache;
    return cache;
}

BrioSettingsCache::BrioSettingsCache()
{
    // Statics go in the reverse order of their making: JUCE's leak counters for what the
    // cache keeps are made first, so that they outlive it and find nothing leaked.
    const juce::XmlElement element ("counted");
    const juce::MemoryBlock block;
}

BrioSettingsCache::~BrioSettingsCache() = default;

//==============================================================================
BrioSettingsCache::Document BrioSettingsCache::read (const juce::File& file, bool sorted)
{
    return lookUp (file, sorted ? Form::sorted : Form::asWritten);
}

BrioSettingsCache::Kind BrioSettingsCache::getKind (const juce::File& file)
{
    return examine (file).kind;
}

BrioSettingsCache::Document BrioSettingsCache::examine (const juce::File& file)
{
    return lookUp (file, Form::none);
}

BrioSettingsCache::Document BrioSettingsCache::lookUp (const juce::File& file, Form form)
{
    const auto path = file.getFullPathName();
    const juce::ScopedLock sl (lock);

    const auto readAt = secondsNow();
    int error = 0;
    const auto before = identify (path, error);

    // A failure of the process says nothing of the file: what was kept of it stays.
    if (! before.has_value())
    {
        auto document = withoutFile (path, error);

        if (document.kind != Kind::failed)
            entries.erase (path);

        return document;
    }

    const auto found = entries.find (path);
    const bool sameFile = found != entries.end() && found->second.identity == *before;

    if (sameFile && found->second.settled)
        return documentOf (found->second, form);

    Entry entry;
    entry.identity = *before;
    entry.settled = isSettled (*before, readAt);
    auto outcome = BrioRegularFile::Outcome::read;
    const auto result = BrioFileReader::readRegularFile (file, maxFileBytes, entry.bytes, &outcome);

    if (outcome == BrioRegularFile::Outcome::failed)      // as above: what was kept stays
        return { Kind::failed, nullptr, result.getErrorMessage() };

    // A folder, a pipe, a file too large or one without permission: telling again is
    // cheaper than any parse, so nothing is kept.
    if (result.failed())
    {
        entries.erase (path);
        return { Kind::unreadable, nullptr, result.getErrorMessage() };
    }

    if (sameFile && BrioFileReader::haveSameBytes (found->second.bytes, entry.bytes))
    {
        found->second.settled = entry.settled;
        return documentOf (found->second, form);
    }

    parse (entry, path);

    // A file replaced while it was read is no version of either identity.
    if (! (identify (path) == before))
    {
        entries.erase (path);
        return documentOf (entry, form);
    }

    auto& kept = entries[path] = std::move (entry);
    return documentOf (kept, form);
}

void BrioSettingsCache::parse (Entry& entry, const juce::String& path)
{
    entry.document.kind = Kind::read;

    if (entry.bytes.isEmpty())
        return;

    const auto text = documentText (entry.bytes);

    if (BrioXmlGuard::isSafeToParse (text.data(), text.size(), settingsFileLimits))
    {
        ++numParses;

        // The store writes plain documents, which are sorted in one parse; others are
        // parsed as they are, and sorted when asked.
        entry.sorted = BrioSettings::parseSortedIfPlain (text.data(), text.size());

        if (entry.sorted == nullptr)
        {
            const auto pooled = poolNamesInOrder (text);
            entry.document.element = BrioXmlGuard::parseDocument (entry.bytes, settingsFileLimits);
        }
    }

    // Malformed, or text that could trap the parser.
    if (entry.sorted == nullptr && entry.document.element == nullptr)
        entry.document = { Kind::unreadable, nullptr, "\"" + path + "\" holds no settings that can be read." };
}

BrioSettingsCache::Document BrioSettingsCache::documentOf (Entry& entry, Form form)
{
    if (form == Form::none)
        return { entry.document.kind, nullptr, entry.document.reason };

    if (entry.document.kind != Kind::read || entry.bytes.isEmpty())
        return entry.document;

    const bool sorted = form == Form::sorted;

    if (sorted && entry.sorted == nullptr)
        entry.sorted = BrioSettings::sortedCopy (*entry.document.element);

    if (! sorted && entry.document.element == nullptr)
    {
        ++numParses;
        entry.document.element = BrioXmlGuard::parseDocument (entry.bytes, settingsFileLimits);

        if (entry.document.element == nullptr)      // JUCE reads a plain document either way
            entry.document.element = std::make_shared<juce::XmlElement> (*entry.sorted);
    }

    return { Kind::read, sorted ? entry.sorted : entry.document.element, {} };
}

bool BrioSettingsCache::write (const juce::XmlElement& element, const juce::File& file,
                               const BeforeReplacing& beforeReplacing)
{
    const auto text = element.toString();
    Identity written;

    if (! writeText (text, file, &written, beforeReplacing))
        return false;

    Entry entry;
    entry.identity = written;
    entry.bytes.append (text.toRawUTF8(), text.getNumBytesAsUTF8());
    entry.document = { Kind::read, std::make_shared<const juce::XmlElement> (element), {} };

    const juce::ScopedLock sl (lock);
    entries[file.getFullPathName()] = std::move (entry);
    return true;
}

bool BrioSettingsCache::writeText (const juce::String& text, const juce::File& file, Identity* written,
                                   const BeforeReplacing& beforeReplacing)
{
    // The identity is the file's after the rename (which sets its change time), taken
    // through its descriptor, as another may have replaced it under the name since.
    struct stat info {};

    if (! BrioFileMoves::replaceWithNewFile (file, text.toRawUTF8(), text.getNumBytesAsUTF8(), beforeReplacing, &info))
        return false;

    if (written != nullptr)
        *written = identityOf (info);

    return true;
}

int BrioSettingsCache::getNumParses() const
{
    const juce::ScopedLock sl (lock);
    return numParses;
}
