#include "BrioPresetTree.h"
#include "BrioScopedDescriptor.h"
#include "BrioSettings.h"
#include "PrivateFolders.h"
#include "../ScopedVariable.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    // A process whose copy is to be killed halfway: after this many bytes written to
    // files, it says so on the pipe and waits to be killed.
    std::atomic<long long> stopAfterBytes { 0 };
    std::atomic<long long> bytesWritten { 0 };
    std::atomic<int> stoppedPipe { -1 };

    // A file system without unnamed files (O_TMPFILE), as vfat or an older NFS.
    std::atomic<bool> refuseUnnamedFiles { false };

    // Linking a descriptor itself, which Linux before 6.10 allows only with CAP_DAC_READ_SEARCH.
    std::atomic<bool> refuseEmptyPathLinks { false };

    // Linking through /proc/self/fd, as where no /proc is mounted.
    std::atomic<bool> refuseProcLinks { false };

    // Hard links to names that hold this text, as a file system without them refuses.
    std::string refuseLinksNamed;
}

namespace
{
    // Runs once, just after a file takes a name (a rename or a link) that holds this text.
    std::string actAfterNaming;
    std::function<void()> afterNamingAct;

    int afterNaming (int result, const char* name)
    {
        if (result == 0 && ! actAfterNaming.empty() && std::string_view (name).find (actAfterNaming) != std::string_view::npos)
        {
            actAfterNaming.clear();
            std::exchange (afterNamingAct, {})();
        }

        return result;
    }
}

extern "C" int linkat (int fromFolder, const char* from, int toFolder, const char* to, int flags)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, const char*, int)> (dlsym (RTLD_NEXT, "linkat"));

    if ((refuseEmptyPathLinks.load() && (flags & AT_EMPTY_PATH) != 0)
         || (refuseProcLinks.load() && std::string_view (from).rfind ("/proc/", 0) == 0))
    {
        errno = ENOENT;
        return -1;
    }

    if (! refuseLinksNamed.empty() && std::string_view (to).find (refuseLinksNamed) != std::string_view::npos)
    {
        errno = EPERM;
        return -1;
    }

    return afterNaming (real (fromFolder, from, toFolder, to, flags), to);
}

extern "C" ssize_t write (int descriptor, const void* data, size_t size)
{
    static const auto real = reinterpret_cast<ssize_t (*) (int, const void*, size_t)> (dlsym (RTLD_NEXT, "write"));
    const auto written = real (descriptor, data, size);

    if (stopAfterBytes.load() > 0 && descriptor > 2 && written > 0
         && (bytesWritten += written) >= stopAfterBytes.load())
    {
        real (stoppedPipe.load(), "!", 1);

        for (;;)
            ::pause();
    }

    return written;
}

extern "C" int openat (int folder, const char* path, int flags, ...)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, ...)> (dlsym (RTLD_NEXT, "openat"));
    mode_t mode = 0;

    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE)
    {
        va_list args;
        va_start (args, flags);
        mode = va_arg (args, mode_t);
        va_end (args);
    }

    if (refuseUnnamedFiles.load() && (flags & O_TMPFILE) == O_TMPFILE)
    {
        errno = EOPNOTSUPP;
        return -1;
    }

    return real (folder, path, flags, mode);
}

namespace
{
    // Reads of the file with this inode fail with this error, as a failing disk's or a
    // network mount's do.
    std::atomic<ino_t> failReadsOf { 0 };
    std::atomic<int> failReadsWith { EIO };

    // Runs once, just before the next read of the file with this inode.
    std::atomic<ino_t> actBeforeReading { 0 };
    std::function<void()> beforeReading;
}

namespace
{
    // Runs once, just before a rename to a name that holds this text.
    std::string actBeforeRenaming;
    std::function<void()> beforeRenamingAct;

    // Renames onto a file of this name fail as on a failing disk, whatever calls them
    // (JUCE's rename, the store's renameat).
    std::string failRenamesOnto;

    bool renameFails (const char* to)
    {
        const std::string_view path (to);
        const auto name = path.substr (path.find_last_of ('/') == std::string_view::npos ? 0 : path.find_last_of ('/') + 1);

        if (failRenamesOnto.empty() || name != failRenamesOnto)
            return false;

        errno = EIO;
        return true;
    }

    void beforeRenaming (const char* to)
    {
        if (! actBeforeRenaming.empty() && std::string_view (to).find (actBeforeRenaming) != std::string_view::npos)
        {
            actBeforeRenaming.clear();
            std::exchange (beforeRenamingAct, {})();
        }
    }
}

extern "C" int renameat2 (int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, const char*, unsigned int)> (dlsym (RTLD_NEXT, "renameat2"));
    beforeRenaming (to);
    return renameFails (to) ? -1 : afterNaming (real (fromFolder, from, toFolder, to, flags), to);
}

extern "C" int renameat (int fromFolder, const char* from, int toFolder, const char* to)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, const char*)> (dlsym (RTLD_NEXT, "renameat"));
    return renameFails (to) ? -1 : afterNaming (real (fromFolder, from, toFolder, to), to);
}

extern "C" int rename (const char* from, const char* to)
{
    static const auto real = reinterpret_cast<int (*) (const char*, const char*)> (dlsym (RTLD_NEXT, "rename"));
    return renameFails (to) ? -1 : afterNaming (real (from, to), to);
}

namespace
{
    // Opening a file or folder whose path ends in this text fails as it does for a host
    // out of descriptors.
    std::string failOpensOf;

    bool openFails (const char* path)
    {
        const std::string_view name (path);

        if (failOpensOf.empty() || name.size() < failOpensOf.size()
             || name.substr (name.size() - failOpensOf.size()) != failOpensOf)
            return false;

        errno = EMFILE;
        return true;
    }
}

extern "C" int open (const char* path, int flags, ...)
{
    static const auto real = reinterpret_cast<int (*) (const char*, int, ...)> (dlsym (RTLD_NEXT, "open"));
    mode_t mode = 0;

    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE)
    {
        va_list args;
        va_start (args, flags);
        mode = va_arg (args, mode_t);
        va_end (args);
    }

    return openFails (path) ? -1 : real (path, flags, mode);
}

extern "C" DIR* opendir (const char* path)
{
    static const auto real = reinterpret_cast<DIR* (*) (const char*)> (dlsym (RTLD_NEXT, "opendir"));
    return openFails (path) ? nullptr : real (path);
}

extern "C" ssize_t read (int descriptor, void* data, size_t size)
{
    static const auto real = reinterpret_cast<ssize_t (*) (int, void*, size_t)> (dlsym (RTLD_NEXT, "read"));
    struct stat info {};

    if ((failReadsOf.load() != 0 || actBeforeReading.load() != 0) && ::fstat (descriptor, &info) == 0
         && S_ISREG (info.st_mode))
    {
        if (info.st_ino == actBeforeReading.load() && actBeforeReading.exchange (0) != 0)
            std::exchange (beforeReading, {})();

        if (info.st_ino == failReadsOf.load())
        {
            errno = failReadsWith.load();
            return -1;
        }
    }

    return real (descriptor, data, size);
}

namespace
{
    class SettingsStoreTest  : public PrivateFoldersTest {};

    juce::StringArray attributeNames (const juce::XmlElement& e)
    {
        juce::StringArray names;

        for (int i = 0; i < e.getNumAttributes(); ++i)
            names.add (e.getAttributeName (i));

        return names;
    }

    juce::File makeLink (const juce::File& link, const juce::File& target)
    {
        link.getParentDirectory().createDirectory();
        EXPECT_EQ (0, ::symlink (target.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()));
        return link;
    }

    /** What stands under a name, as far as the store could change it. */
    std::string describe (const std::filesystem::path& path)
    {
        namespace fs = std::filesystem;
        std::error_code ignored;
        const auto status = fs::symlink_status (path, ignored);

        switch (status.type())
        {
            case fs::file_type::regular:
            {
                std::ifstream in (path, std::ios::binary);
                const std::string bytes (std::istreambuf_iterator<char> (in), {});
                return "file of " + std::to_string (bytes.size()) + " bytes, hash " + std::to_string (std::hash<std::string>() (bytes));
            }

            case fs::file_type::directory: return "folder of " + std::to_string (std::distance (fs::directory_iterator (path), {}));
            case fs::file_type::fifo:      return "pipe";
            case fs::file_type::symlink:   return "link to " + fs::read_symlink (path).string();
            default:                       return "nothing";
        }
    }

    /** Without the capabilities that let root read any file, for as long as it lives
        (they belong to this thread alone). */
    struct ScopedWithoutFileOverride
    {
        ScopedWithoutFileOverride()
        {
            ::syscall (SYS_capget, &header, saved);
            __user_cap_data_struct dropped[2] { saved[0], saved[1] };
            dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            ::syscall (SYS_capset, &header, dropped);
        }

        ~ScopedWithoutFileOverride()   { ::syscall (SYS_capset, &header, saved); }

        __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
        __user_cap_data_struct saved[2] {};
    };

    /** A tmpfs of its own on a folder (root in the private mount namespace), for as
        long as it lives. */
    struct ScratchMount
    {
        ScratchMount (const juce::File& folder, const char* size) : path (folder.getFullPathName().toStdString())
        {
            folder.createDirectory();
            mounted = ::mount ("tanglefix-test", path.c_str(), "tmpfs", 0, size) == 0;
        }

        ~ScratchMount()
        {
            if (mounted)
                ::umount2 (path.c_str(), MNT_DETACH);
        }

        bool resize (const char* size) const
        {
            return ::mount ("tanglefix-test", path.c_str(), "tmpfs", MS_REMOUNT, size) == 0;
        }

        const std::string path;
        bool mounted = false;
    };

    /** Runs the work in a child process and kills it once it has written that many bytes;
        with another instance's start meanwhile, given half a second before the kill. */
    void killHalfway (long long afterBytes, const std::function<void()>& work, bool anotherStartsMeanwhile = false)
    {
        int stopped[2];
        ASSERT_EQ (0, ::pipe (stopped));
        const auto child = ::fork();
        ASSERT_GE (child, 0);

        if (child == 0)
        {
            ::close (stopped[0]);
            stoppedPipe = stopped[1];
            stopAfterBytes = afterBytes;
            work();
            ::_exit (0);
        }

        ::close (stopped[1]);
        pollfd waitForStop { stopped[0], POLLIN, 0 };
        char said = 0;
        const bool halfway = ::poll (&waitForStop, 1, 60000) == 1 && ::read (stopped[0], &said, 1) == 1;
        std::thread another;

        if (anotherStartsMeanwhile)
        {
            another = std::thread ([] { BrioSettings().migratePresetsOnce(); });
            std::this_thread::sleep_for (std::chrono::milliseconds (500));
        }

        ::kill (child, SIGKILL);
        ::waitpid (child, nullptr, 0);
        ::close (stopped[0]);

        if (another.joinable())
            another.join();

        EXPECT_TRUE (halfway) << "the work ended before it was halfway";
    }

    void killImportHalfway (long long afterBytes, bool anotherStartsMeanwhile = false)
    {
        killHalfway (afterBytes, [] { BrioSettings().migratePresetsOnce(); }, anotherStartsMeanwhile);
    }

    /** Every path below the folder, folders included, relative to it. */
    std::set<std::string> everythingBelow (const juce::File& folder)
    {
        std::set<std::string> paths;
        const std::filesystem::path root (folder.getFullPathName().toStdString());
        std::error_code ignored;

        for (const auto& entry : std::filesystem::recursive_directory_iterator (root, ignored))
            paths.insert (std::filesystem::relative (entry.path(), root).string());

        return paths;
    }

    void collectPresets (const BrioPresetTree::Folder& folder, juce::StringArray& paths)
    {
        paths.addArray (folder.presetPaths);

        for (const auto& subfolder : folder.subfolders)
            collectPresets (subfolder, paths);
    }

    enum class Fault
    {
        none,
        fileSizeLimit,      // no new file grows past a few bytes
        outOfDescriptors,   // the process has no descriptor left
        readError,          // reads of the file fail as a failing disk's do
        staleNetworkFile    // reads of the file fail as a network mount's do when its server lost it
    };

    /** Runs work while the fault holds. */
    void whileFailing (Fault fault, const juce::File& file, const std::function<void()>& work)
    {
        const auto limited = [&] (int resource, rlim_t limit, const std::function<void()>& during)
        {
            rlimit saved {};
            ::getrlimit (resource, &saved);
            const rlimit lowered { limit, saved.rlim_max };
            ASSERT_EQ (0, ::setrlimit (resource, &lowered));
            during();
            ::setrlimit (resource, &saved);
        };

        switch (fault)
        {
            case Fault::none:
                work();
                break;

            case Fault::fileSizeLimit:
            {
                const auto previous = std::signal (SIGXFSZ, SIG_IGN);
                limited (RLIMIT_FSIZE, 8, work);
                std::signal (SIGXFSZ, previous);
                break;
            }

            case Fault::outOfDescriptors:
                limited (RLIMIT_NOFILE, 64, [&]
                {
                    std::vector<int> taken;

                    for (int descriptor; (descriptor = ::open ("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
                        taken.push_back (descriptor);

                    EXPECT_EQ (errno, EMFILE);
                    work();

                    for (const auto descriptor : taken)
                        ::close (descriptor);
                });
                break;

            case Fault::readError:
            case Fault::staleNetworkFile:
            {
                struct stat info {};
                ASSERT_EQ (0, ::stat (file.getFullPathName().toRawUTF8(), &info));
                failReadsWith = fault == Fault::readError ? EIO : ESTALE;
                failReadsOf = info.st_ino;
                work();
                failReadsOf = 0;
                break;
            }
        }
    }

    /** What the store has set aside of the file, described. */
    std::vector<std::string> setAsideOf (const juce::File& file)
    {
        std::vector<std::string> setAside;

        for (const auto& entry : std::filesystem::directory_iterator (file.getParentDirectory().getFullPathName().toStdString()))
            if (entry.path().filename().string().rfind (file.getFileName().toStdString() + ".unreadable-", 0) == 0)
                setAside.push_back (describe (entry.path()));

        std::sort (setAside.begin(), setAside.end());
        return setAside;
    }

    /** A file system of its own whose times follow the clock's tick, mounted on a folder
        for as long as it lives. */
    struct CoarseTimesMount
    {
        explicit CoarseTimesMount (const juce::File& folder) : path (folder.getFullPathName().toStdString())
        {
            folder.createDirectory();
            mounted = ::mount ("tanglefix-test", path.c_str(), "ramfs", 0, nullptr) == 0;
        }

        ~CoarseTimesMount()
        {
            if (mounted)
                ::umount2 (path.c_str(), MNT_DETACH);
        }

        const std::string path;
        bool mounted = false;
    };
}

//==============================================================================
TEST_F (SettingsStoreTest, MissingFileIsCreatedAndValuesSurviveANewStore)
{
    {
        BrioSettings store;
        EXPECT_EQ (store.getGlobalDouble ("WindowSize", 1.0), 1.0);
        EXPECT_TRUE (juce::File (store.getGlobalSettingsFile()).existsAsFile());

        EXPECT_TRUE (store.getSecondBool (BrioStoredNames::newsEnabledKey, true));
        EXPECT_TRUE (juce::File (store.getSecondSettingsFile()).existsAsFile());

        store.setGlobalValue ("WindowSize", 1.5, true);
        store.setSecondString (BrioStoredNames::newsReadIdKey, "B2", true);
    }

    BrioSettings fresh;
    EXPECT_EQ (fresh.getGlobalDouble ("WindowSize", 1.0), 1.5);
    EXPECT_EQ (fresh.getSecondString (BrioStoredNames::newsReadIdKey, {}), "B2");
    EXPECT_EQ (fresh.loadGlobalSettings (true)->getTagName(), "Tanglefix_GLOBAL_SETTINGS");
    EXPECT_EQ (fresh.loadSecondSettings (true)->getTagName(), BrioStoredNames::secondSettingsRootName);
}

TEST_F (SettingsStoreTest, LoadingSortedOrdersAttributesIgnoringCaseAndDropsChildren)
{
    BrioSettings store;
    juce::File (store.getGlobalSettingsFile())
        .replaceWithText ("<OtherRoot gamma=\"3\" Beta=\"2\" alpha=\"1\"><child/></OtherRoot>");

    const auto* unsorted = store.loadGlobalSettings (false);
    EXPECT_EQ (attributeNames (*unsorted), juce::StringArray ({ "gamma", "Beta", "alpha" }));

    const auto* sorted = store.loadGlobalSettings (true);
    EXPECT_EQ (attributeNames (*sorted), juce::StringArray ({ "alpha", "Beta", "gamma" }));
    EXPECT_EQ (sorted->getTagName(), "OtherRoot");   // a root of another name is kept
    EXPECT_EQ (sorted->getStringAttribute ("Beta"), "2");
    EXPECT_EQ (sorted->getNumChildElements(), 0);
}

/** The copy as the store always made it, attribute by attribute: what the sorted load
    must keep giving, however it is made. */
static std::unique_ptr<juce::XmlElement> sortedOneByOne (const juce::XmlElement& element)
{
    auto keys = attributeNames (element);
    keys.sort (true);
    auto copy = std::make_unique<juce::XmlElement> (element.getTagName());

    for (const auto& key : keys)
        copy->setAttribute (key, element.getStringAttribute (key));

    return copy;
}

TEST_F (SettingsStoreTest, SortedLoadKeepsOrderAndValuesOfEveryAttribute)
{
    // More names than a short sort handles by insertion, names that differ only in case
    // (XML allows no name twice in an element) and values that must be escaped when
    // written; in a document that JUCE's parser must read, and in plain ones, which are
    // sorted from their text.
    juce::Random random (3);
    juce::String attributes;
    juce::StringArray names;
    const char* values[] = { "1.5", "a &quot;quoted&quot; &amp; &lt;b&gt; &apos;", "tab&#9;cr&#13;lf&#10;", "\xc3\xbc\xe2\x82\xac", "" };
    const char* blanks[] = { " ", "\n  ", "\t", "\r\n" };

    for (int i = 0; i < 300; ++i)
    {
        auto name = juce::String::charToString ((juce::juce_wchar) ('a' + random.nextInt (6))) + juce::String (random.nextInt (40));

        if (random.nextBool())
            name = name.toUpperCase();

        if (names.contains (name))
            continue;

        names.add (name);
        attributes << blanks[random.nextInt (4)] << name << "=\"" << juce::String::fromUTF8 (values[random.nextInt (5)]) << "\"";
    }

    const juce::String documents[] =
    {
        "<Tanglefix_GLOBAL_SETTINGS" + attributes + ">text<child a=\"1\"><grandchild/></child>more</Tanglefix_GLOBAL_SETTINGS>",
        "<Tanglefix_GLOBAL_SETTINGS" + attributes + "/>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<Tanglefix_GLOBAL_SETTINGS" + attributes + "\n/>\n"
    };

    for (const auto& text : documents)
    {
        BrioSettings store;
        juce::File (store.getGlobalSettingsFile()).replaceWithText (text);
        const auto expected = sortedOneByOne (*store.loadGlobalSettings (false));
        ASSERT_GT (expected->getNumAttributes(), 150);

        const auto* sorted = store.loadGlobalSettings (true);
        EXPECT_TRUE (sorted->isEquivalentTo (expected.get(), false));
        EXPECT_EQ (sorted->getNumChildElements(), 0);
        EXPECT_EQ (sorted->toString(), expected->toString());
    }
}

TEST_F (SettingsStoreTest, SortedLoadOfAFileAtTheSizeLimitKeepsEveryAttribute)
{
    // About 90,000 attributes in a file of 1 MB, the most the store reads: copied one by
    // one they took many minutes.
    juce::Random random (5);
    juce::MemoryOutputStream text;
    text << "<Tanglefix_GLOBAL_SETTINGS";
    std::map<juce::String, juce::String> byNameIgnoringCase;    // the names are lower case

    while (text.getDataSize() < 1024 * 1024 - 40)
    {
        const auto name = "k" + juce::String::toHexString (random.nextInt64());
        const auto value = juce::String ((int) byNameIgnoringCase.size());
        byNameIgnoringCase[name] = value;
        text << " " << name << "=\"" << value << "\"";
    }

    text << "/>";
    BrioSettings store;
    juce::File (store.getGlobalSettingsFile()).replaceWithText (text.toString());

    // Read through its text: reaching each attribute by index is itself quadratic.
    juce::MemoryOutputStream expected;
    expected << "<Tanglefix_GLOBAL_SETTINGS";

    for (const auto& [name, value] : byNameIgnoringCase)
        expected << " " << name << "=\"" << value << "\"";

    expected << "/>";
    const auto* sorted = store.loadGlobalSettings (true);
    EXPECT_EQ (sorted->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()), expected.toString());
}

TEST_F (SettingsStoreTest, EmptyOrMalformedFileGivesANewEmptyElement)
{
    for (const auto* text : { "", "WindowSize=1.5", "<<WindowSize=\"1.5\">>", "\x01\xff garbage" })
    {
        BrioSettings store;
        juce::File (store.getGlobalSettingsFile()).replaceWithText (text);

        const auto* e = store.loadGlobalSettings (true);
        ASSERT_NE (e, nullptr);
        EXPECT_EQ (e->getTagName(), "Tanglefix_GLOBAL_SETTINGS");
        EXPECT_EQ (e->getNumAttributes(), 0);
        EXPECT_EQ (store.getGlobalDouble ("WindowSize", 1.0), 1.0);

        store.setGlobalValue ("WindowSize", 0.75, false);
        EXPECT_TRUE (store.saveGlobalSettings());
        EXPECT_EQ (BrioSettings().getGlobalDouble ("WindowSize", 1.0), 0.75);
    }
}

TEST_F (SettingsStoreTest, FileThatCouldTrapTheParserGivesANewEmptyElement)
{
    // Anybody can write to the shared folder: a planted file must not hang, crash or
    // exhaust the host when the plug-in loads.
    const std::string texts[] = { "<a WindowSize=\"2\"><?x?>t</a>",
                                  "<a WindowSize=\"2\">&#x",
                                  std::string (2 * 1024 * 1024, '<'),
                                  "\xef\xbb\xbf" };   // a byte-order mark and nothing after it

    for (const auto& text : texts)
    {
        BrioSettings store;
        juce::File (store.getGlobalSettingsFile()).replaceWithData (text.data(), text.size());

        const auto* e = store.loadGlobalSettings (true);
        ASSERT_NE (e, nullptr);
        EXPECT_EQ (e->getTagName(), "Tanglefix_GLOBAL_SETTINGS");
        EXPECT_EQ (e->getNumAttributes(), 0);
    }

    // A byte-order mark in front, as text editors write it, is still read.
    const std::string withMark ("\xef\xbb\xbf<a WindowSize=\"2\"/>");
    BrioSettings store;
    juce::File (store.getGlobalSettingsFile()).replaceWithData (withMark.data(), withMark.size());
    EXPECT_EQ (store.getGlobalDouble ("WindowSize", 1.0), 2.0);
}

TEST_F (SettingsStoreTest, SymbolicLinkFoldersAreReplacedByTheirTargets)
{
    const auto target = tmp.getChildFile ("elsewhere/presets");
    makeLink (shared().getChildFile ("Larkspan/Presets/Tanglefix"), target);

    BrioSettings store;
    EXPECT_EQ (store.getPresetsFolder(), target.getFullPathName());
    EXPECT_TRUE (target.isDirectory());   // a link to a missing folder gets its folder

    const auto linkedSettings = tmp.getChildFile ("settings");
    linkedSettings.createDirectory();
    makeLink (shared().getChildFile ("Larkspan/Settings"), linkedSettings);

    store.setGlobalValue ("WindowSize", 2.0, true);
    EXPECT_TRUE (linkedSettings.getChildFile (juce::File (store.getGlobalSettingsFile()).getFileName())
                     .existsAsFile());
}

TEST_F (SettingsStoreTest, FolderThatCannotBeCreatedFailsQuietly)
{
    // A plain file where the maker's folder should be: nothing below it can exist.
    shared().getChildFile ("Larkspan").replaceWithText ("not a folder");

    BrioSettings store;
    EXPECT_TRUE (store.getPresetsFolder().endsWith ("/Tanglefix"));
    EXPECT_EQ (store.getGlobalDouble ("WindowSize", 1.0), 1.0);

    store.setGlobalValue ("WindowSize", 1.5, false);
    EXPECT_FALSE (store.saveGlobalSettings());
    EXPECT_FALSE (store.saveSecondSettings());
    EXPECT_EQ (store.getGlobalDouble ("WindowSize", 1.0), 1.5);   // the cached value stays
}

//==============================================================================
TEST_F (SettingsStoreTest, MigrationCopiesTheOlderPresetsOnce)
{
    BrioSettings probe;
    const juce::File legacy (probe.getLegacyPresetsFolder());
    ASSERT_TRUE (legacy.isAChildOf (home()));

    legacy.getChildFile ("Bass/Deep.qzr").create();
    legacy.getChildFile ("Bass/Deep.qzr").replaceWithText ("<Tanglefix_SETTINGS Gain=\"0.7\"/>");
    legacy.getChildFile ("Settings.xml")
        .replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\"/>");

    const auto trash = home().getChildFile (".local/share/Trash/files");
    trash.createDirectory();

    const juce::File imported (probe.getPresetsFolder() + BrioStoredNames::legacyImportSegment);

    {
        BrioSettings store;
        store.migratePresetsOnce();
    }

    EXPECT_EQ (imported.getChildFile ("Bass/Deep.qzr").loadFileAsString(),
               "<Tanglefix_SETTINGS Gain=\"0.7\"/>");
    EXPECT_FALSE (imported.getChildFile ("Settings.xml").exists());
    EXPECT_TRUE (trash.getChildFile ("Settings.xml").existsAsFile());

    BrioSettings afterwards;
    EXPECT_EQ (afterwards.getGlobalDouble ("WindowSize", 1.0), 1.25);
    EXPECT_TRUE (afterwards.loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey));

    // The next start leaves everything alone, even when the older folder has changed.
    imported.deleteRecursively();
    legacy.getChildFile ("Late.qzr").replaceWithText ("<Tanglefix_SETTINGS/>");
    afterwards.migratePresetsOnce();
    EXPECT_FALSE (imported.exists());
}

TEST_F (SettingsStoreTest, ImportThatStopsShortLeavesNoCutCopyAndCompletesAtTheNextStart)
{
    // A full disk cut copies under the presets' own names, and a later import skips names
    // that exist, so they stayed cut for good; a copy killed halfway stayed beside them
    // under a temporary preset name that the browser listed. The older settings, taken on
    // a full disk, were cut and the import marked done; a preset or folder that the process
    // failed to open counted as unreadable, and the import as done without it. A copy left
    // by an instance killed while another completed the import stayed for good, and a
    // user's own file named like an unfinished copy went.
    enum class Stop { killed, presetsDiskFull, settingsDiskFull, outOfDescriptors };

    struct Case
    {
        const char* kind;
        std::vector<size_t> sizes;
        Stop stop;
        bool withoutUnnamedFiles;
        bool withoutEmptyPathLinks;     // an unnamed copy is named through /proc
        bool withoutProcLinks = false;  // with neither, an unnamed copy can't be named
        const char* failingToOpen = "";  // out of descriptors when this is opened
        bool anotherStartsMeanwhile = false;
    };

    const Case cases[] =
    {
        { "killed halfway",                        { 4 << 20, 100 }, Stop::killed, false, true },
        { "killed halfway, without unnamed files", { 4 << 20, 100 }, Stop::killed, true,  true },
        { "killed halfway, unnamed files can't be named", { 4 << 20, 100 }, Stop::killed, false, true, true },
        { "killed halfway while another starts, without unnamed files", { 4 << 20, 100 }, Stop::killed, true, true, false, "", true },
        { "disk full",                             { 90000, 90000, 90000, 90000 }, Stop::presetsDiskFull, false, false },
        { "disk full, without unnamed files",      { 90000, 90000, 90000, 90000 }, Stop::presetsDiskFull, true,  false },
        { "older settings on a full disk",         { 100, 100 }, Stop::settingsDiskFull, false, false },
        { "older settings on a full disk, without unnamed files", { 100, 100 }, Stop::settingsDiskFull, true, false },
        { "out of descriptors for a preset",       { 100, 100 }, Stop::outOfDescriptors, false, false, false, "/Sub/Preset1.qzr" },
        { "out of descriptors for a folder",       { 100, 100 }, Stop::outOfDescriptors, false, false, false, "/Sub" },
        { "out of descriptors for the older settings", { 100, 100 }, Stop::outOfDescriptors, false, false, false, "Tanglefix/Settings.xml" }
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.kind);
        clearFolder (shared());
        clearFolder (home());

        BrioSettings probe;
        const juce::File legacy (probe.getLegacyPresetsFolder());
        const juce::File presets (probe.getPresetsFolder());
        const juce::File imported (presets.getFullPathName() + BrioStoredNames::legacyImportSegment);
        std::set<std::string> names;

        for (size_t i = 0; i < c.sizes.size(); ++i)
        {
            const juce::String name ("Sub/Preset" + juce::String ((int) i) + ".qzr");
            juce::MemoryBlock bytes (c.sizes[i]);

            for (size_t b = 0; b < bytes.getSize(); ++b)
                bytes[b] = (char) ('a' + (b * 7 + i) % 26);

            legacy.getChildFile (name).getParentDirectory().createDirectory();
            ASSERT_TRUE (legacy.getChildFile (name).replaceWithData (bytes.getData(), bytes.getSize()));
            names.insert (name.toStdString());
        }

        names.insert ("Sub");

        // Taken into the settings by the import that completes, never twice.
        legacy.getChildFile ("Settings.xml").replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\" Pad=\""
                                                              + juce::String::repeatedString ("x", 40000) + "\"/>");
        home().getChildFile (".local/share/Trash/files").createDirectory();

        std::optional<ScratchMount> disk;

        if (c.stop == Stop::presetsDiskFull)
            disk.emplace (presets, "size=256k");
        else if (c.stop == Stop::settingsDiskFull)
            disk.emplace (juce::File (probe.getSettingsFolder()), "size=16k");

        if (disk && ! disk->mounted)
            GTEST_SKIP() << "no tmpfs of our own: " << std::strerror (errno);

        // A user's own file, named as an unfinished copy might be.
        ASSERT_TRUE (imported.getChildFile ("Sub").createDirectory());
        ASSERT_TRUE (imported.getChildFile ("Sub/.unfinished-copy-notes").replaceWithText ("mine"));
        names.insert ("Sub/.unfinished-copy-notes");

        refuseUnnamedFiles = c.withoutUnnamedFiles;
        refuseEmptyPathLinks = c.withoutEmptyPathLinks;
        refuseProcLinks = c.withoutProcLinks;
        failOpensOf = c.failingToOpen;

        if (c.stop == Stop::killed)
            killImportHalfway (1 << 20, c.anotherStartsMeanwhile);
        else
            BrioSettings().migratePresetsOnce();

        failOpensOf.clear();

        // Whatever the walk lists is a whole copy.
        const auto checkListedPresetsAreWhole = [&]
        {
            juce::StringArray listed;
            collectPresets (BrioPresetTree (presets.getFullPathName()).root, listed);

            for (const auto& path : listed)
            {
                const auto relative = juce::File (path).getRelativePathFrom (imported);
                EXPECT_TRUE (names.count (relative.toStdString()) == 1) << "listed: " << relative;
                EXPECT_TRUE (juce::File (path).hasIdenticalContentTo (legacy.getChildFile (relative))) << "cut: " << relative;
            }
        };

        checkListedPresetsAreWhole();

        // Done only by another instance that completed it after the kill.
        EXPECT_EQ (BrioSettings().loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey),
                   c.anotherStartsMeanwhile);

        // Room again, or no kill: the next start copies the rest and leaves nothing else.
        if (disk)
        {
            ASSERT_TRUE (disk->resize ("size=4m"));
        }

        BrioSettings().migratePresetsOnce();
        refuseUnnamedFiles = false;
        refuseEmptyPathLinks = false;
        refuseProcLinks = false;

        checkListedPresetsAreWhole();
        EXPECT_EQ (everythingBelow (imported), names);
        EXPECT_EQ (BrioSettings().getGlobalDouble ("WindowSize", 1.0), 1.25);
        EXPECT_TRUE (BrioSettings().loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey));
    }
}

TEST_F (SettingsStoreTest, AHomeThatIsNotUtf8HasNoOlderFolder)
{
    // JUCE would read such a home as the folder its decoded text names: the overlong
    // form below is "A", so another user's "homeA" would be migrated from. Nothing is
    // marked done either, so a start with a usable home still migrates.
    const auto raw = tmp.getFullPathName().toStdString();
    juce::File plantedFolder;

    {
        const tanglefix_tests::ScopedVariable decoyHome ("HOME", raw + "/homeA");
        plantedFolder = juce::File (BrioSettings().getLegacyPresetsFolder());
    }

    ASSERT_TRUE (plantedFolder.getChildFile ("Planted.qzr").create());
    plantedFolder.getChildFile ("Settings.xml").replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"2\"/>");

    {
        const tanglefix_tests::ScopedVariable hostileHome ("HOME", raw + "/home\xc1\x81");
        BrioSettings store;
        EXPECT_EQ (store.getLegacyPresetsFolder(), juce::String());
        store.migratePresetsOnce();
    }

    BrioSettings afterwards;
    EXPECT_FALSE (juce::File (afterwards.getPresetsFolder() + BrioStoredNames::legacyImportSegment).exists());
    EXPECT_TRUE (plantedFolder.getChildFile ("Settings.xml").existsAsFile());
    EXPECT_EQ (afterwards.getGlobalDouble ("WindowSize", 1.0), 1.0);
    EXPECT_FALSE (afterwards.loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey));
}

TEST_F (SettingsStoreTest, MigrationNeverCopiesTheNewFolderIntoItself)
{
    // Users link the older folder to the new one so that older tools see the new
    // presets. Copying a folder into a folder inside itself only ends when the path
    // gets too long, leaving hundreds of nested copies of every preset behind.
    const auto linkOlderFolderTo = [] (const juce::File& target)
    {
        makeLink (juce::File (BrioSettings().getLegacyPresetsFolder()), target);
    };

    const std::function<void()> arrangements[] =
    {
        [&] { linkOlderFolderTo (juce::File (BrioSettings().getPresetsFolder())); },
        [&] { linkOlderFolderTo (juce::File (BrioSettings().getBaseFolder())); }
    };

    for (const auto& arrange : arrangements)
    {
        clearFolder (shared());
        clearFolder (home());

        const juce::File presets (BrioSettings().getPresetsFolder());
        presets.getChildFile ("Deep.qzr").replaceWithText ("<Tanglefix_SETTINGS Gain=\"0.7\"/>");
        arrange();

        BrioSettings store;
        store.migratePresetsOnce();

        EXPECT_FALSE (presets.getChildFile (juce::String (BrioStoredNames::legacyImportSegment).substring (1)).exists());
        EXPECT_EQ (presets.getChildFile ("Deep.qzr").loadFileAsString(), "<Tanglefix_SETTINGS Gain=\"0.7\"/>");
        EXPECT_TRUE (BrioSettings().loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey));
    }
}

//==============================================================================
TEST_F (SettingsStoreTest, SettingsFileThatCannotBeReadIsNeitherWrittenOverNorMigratedPast)
{
    // A file the store can't read may hold every setting and the flag that the older
    // presets were moved: copying them again went over the copies the user had edited,
    // and the file was written over with the flag alone. A good file that the process
    // failed to read (out of descriptors, an I/O error) was set aside as unreadable.
    const std::string overTheLimit = "<Tanglefix_GLOBAL_SETTINGS PresetsMigrated=\"1\" WindowSize=\"1.25\" Pad=\""
                                       + std::string (1024 * 1024, 'x') + "\"/>";
    const auto writeText = [] (const std::string& text)
    {
        return [text] (const juce::File& f) { f.replaceWithData (text.data(), text.size()); };
    };

    struct Case
    {
        const char* kind;
        std::function<void (const juce::File&)> plant;
        bool readable;
        Fault fault = Fault::none;      // while the store reads it
    };

    const auto good = writeText ("<Tanglefix_GLOBAL_SETTINGS PresetsMigrated=\"1\" WindowSize=\"1.25\"/>");

    const Case cases[] =
    {
        { "absent",              [] (const juce::File&) {},                                                  true },
        { "over the size limit", writeText (overTheLimit),                                                   false },
        { "malformed",           writeText ("<<Tanglefix_GLOBAL_SETTINGS PresetsMigrated=\"1\">>"),        false },
        { "refused by the guard", writeText ("<a PresetsMigrated=\"1\">&#x"),                                false },
        { "value without quotes", writeText ("<Tanglefix_GLOBAL_SETTINGS a=\"1\" b=2 PresetsMigrated=\"1\"/>"), false },
        { "comments with markup", writeText ("<!-- & <?x?> <!y --><Tanglefix_GLOBAL_SETTINGS/>"),          true },
        { "folder",              [] (const juce::File& f) { f.getChildFile ("kept").create(); },            false },
        { "named pipe",          [] (const juce::File& f) { ::mkfifo (f.getFullPathName().toRawUTF8(), 0644); }, false },
        { "link to nothing",     [this] (const juce::File& f) { makeLink (f, tmp.getChildFile ("gone")); },  false },
        { "not permitted",       [] (const juce::File& f) { f.replaceWithText ("<Tanglefix_GLOBAL_SETTINGS PresetsMigrated=\"1\"/>");
                                                            f.setReadOnly (true); ::chmod (f.getFullPathName().toRawUTF8(), 0); }, false },
        { "good, out of descriptors", good,                                                                  false, Fault::outOfDescriptors },
        { "good, read error",    good,                                                                       false, Fault::readError },
        { "good, stale network file", good,                                                                  false, Fault::staleNetworkFile }
    };

    const std::string edited ("<Tanglefix_SETTINGS Gain=\"0.2\"/>");

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.kind);
        clearFolder (shared());
        clearFolder (home());

        BrioSettings probe;
        const juce::File legacy (probe.getLegacyPresetsFolder());
        legacy.getChildFile ("Bass").createDirectory();
        legacy.getChildFile ("Bass/Deep.qzr").replaceWithText ("<Tanglefix_SETTINGS Gain=\"0.7\"/>");
        legacy.getChildFile ("New.qzr").replaceWithText ("<Tanglefix_SETTINGS/>");

        const juce::File imported (probe.getPresetsFolder() + BrioStoredNames::legacyImportSegment);
        imported.getChildFile ("Bass").createDirectory();
        imported.getChildFile ("Bass/Deep.qzr").replaceWithData (edited.data(), edited.size());

        const juce::File settingsFile (probe.getGlobalSettingsFile());
        c.plant (settingsFile);
        const auto path = settingsFile.getFullPathName().toStdString();
        const auto planted = describe (path);

        {
            const ScopedWithoutFileOverride asAnyUser;
            whileFailing (c.fault, settingsFile, []
            {
                BrioSettings store;
                EXPECT_EQ (store.getGlobalDouble ("WindowSize", 1.0), 1.0);
                store.migratePresetsOnce();
            });
        }

        EXPECT_EQ (imported.getChildFile ("Bass/Deep.qzr").loadFileAsString().toStdString(), edited);
        EXPECT_EQ (imported.getChildFile ("New.qzr").existsAsFile(), c.readable);

        if (c.readable)
            continue;

        EXPECT_EQ (describe (path), planted);

        // A save that fails leaves it where it is: one whose new settings can't be written,
        // one the process fails, and one of a store that loaded while the process failed.
        {
            const ScopedWithoutFileOverride asAnyUser;
            BrioSettings store;
            whileFailing (c.fault == Fault::none ? Fault::fileSizeLimit : c.fault, settingsFile,
                          [&] { store.setGlobalValue ("WindowSize", 1.5, true); });

            if (c.fault != Fault::none)
            {
                EXPECT_FALSE (store.saveGlobalSettings());     // it holds none of the file's settings
            }
        }

        EXPECT_EQ (describe (path), planted);
        EXPECT_EQ (setAsideOf (settingsFile), std::vector<std::string>());

        if (c.fault != Fault::none)
        {
            BrioSettings afterwards;
            EXPECT_EQ (afterwards.getGlobalDouble ("WindowSize", 1.0), 1.25);
            afterwards.migratePresetsOnce();
            EXPECT_FALSE (imported.getChildFile ("New.qzr").exists());
            EXPECT_EQ (describe (path), planted);
            continue;
        }

        // Settings written later go to a new file; the unreadable one is kept beside it.
        {
            const ScopedWithoutFileOverride asAnyUser;
            BrioSettings store;
            store.setGlobalValue ("WindowSize", 1.5, true);
        }

        EXPECT_EQ (setAsideOf (settingsFile), std::vector<std::string> { planted });

        BrioSettings afterwards;
        EXPECT_EQ (afterwards.getGlobalDouble ("WindowSize", 1.0), 1.5);
        afterwards.migratePresetsOnce();
        EXPECT_FALSE (imported.getChildFile ("New.qzr").exists());
        EXPECT_EQ (imported.getChildFile ("Bass/Deep.qzr").loadFileAsString().toStdString(), edited);
    }
}

TEST_F (SettingsStoreTest, OnlyTheFileJudgedUnreadableIsSetAside)
{
    // Two instances save over an unreadable file at once: the other sets it aside and
    // writes its own settings while this one reads it, at one read of the save or another.
    // This one's settings replace the other's, as any later save does, but the other's are
    // never set aside as unreadable.
    const std::string unreadable ("<<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\">>");

    for (int readsBefore = 0; readsBefore < 3; ++readsBefore)
    {
        SCOPED_TRACE (readsBefore);
        clearFolder (shared());

        BrioSettings store;
        const juce::File file (store.getGlobalSettingsFile());
        file.replaceWithData (unreadable.data(), unreadable.size());
        store.setGlobalValue ("WindowSize", 1.5, false);
        const auto planted = describe (file.getFullPathName().toStdString());

        std::function<void()> armed = [file]
        {
            ASSERT_TRUE (file.moveFileTo (file.getSiblingFile (file.getFileName() + ".unreadable-other")));
            file.replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"2\"/>");
        };

        struct stat info {};
        ASSERT_EQ (0, ::stat (file.getFullPathName().toRawUTF8(), &info));

        for (int i = 0; i < readsBefore; ++i)
            armed = [armed, inode = info.st_ino] { beforeReading = armed; actBeforeReading = inode; };

        beforeReading = armed;
        actBeforeReading = info.st_ino;
        EXPECT_TRUE (store.saveGlobalSettings());
        actBeforeReading = 0;
        beforeReading = {};

        EXPECT_EQ (setAsideOf (file), std::vector<std::string> { planted });
        EXPECT_EQ (BrioSettings().getGlobalDouble ("WindowSize", 1.0), 1.5);
    }

    // Another instance that starts the moment the unreadable file is set aside never finds
    // the name empty: it would take its settings for defaults and import the older presets
    // again, over the copies the user has edited since.
    clearFolder (shared());
    clearFolder (home());
    BrioSettings store;
    const juce::File legacy (store.getLegacyPresetsFolder());
    ASSERT_TRUE (legacy.createDirectory());
    ASSERT_TRUE (legacy.getChildFile ("New.qzr").replaceWithText ("<Tanglefix_SETTINGS/>"));
    const juce::File file (store.getGlobalSettingsFile());
    file.replaceWithData (unreadable.data(), unreadable.size());
    store.setGlobalValue ("WindowSize", 1.5, false);
    const auto planted = describe (file.getFullPathName().toStdString());

    actAfterNaming = ".unreadable-";
    afterNamingAct = [] { BrioSettings().migratePresetsOnce(); };
    EXPECT_TRUE (store.saveGlobalSettings());
    actAfterNaming.clear();
    afterNamingAct = {};

    EXPECT_FALSE (juce::File (store.getPresetsFolder() + BrioStoredNames::legacyImportSegment).getChildFile ("New.qzr").exists());
    EXPECT_EQ (setAsideOf (file), std::vector<std::string> { planted });
    EXPECT_EQ (BrioSettings().getGlobalDouble ("WindowSize", 1.0), 1.5);
}

TEST_F (SettingsStoreTest, ASaveThatStopsShortLeavesTheFileAsItWasAndNothingBeside)
{
    // JUCE's TemporaryFile, which the store saved through, deleted the target when its
    // rename failed (a failing disk, a lost network server) and copied through an
    // unchecked stream: the name could be left holding nothing, and the save said it had
    // written. A save killed while it wrote left JUCE's temporary file in the shared
    // folder for good.
    enum class Stop { renameFails, killed, killedBeforeTheRename };

    struct Case
    {
        const char* kind;
        bool news;              // News.settings rather than the global file
        const char* before;     // what the file holds
        Stop stop;
        bool withoutUnnamedFiles = false;
    };

    const char* const good = "<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\"/>";
    const char* const unreadable = "<<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\">>";
    const char* const news = "<Larkspan_NEWS_SETTINGS NewsReadId=\"7\"/>";

    const Case cases[] =
    {
        { "rename fails over good settings",       false, good,       Stop::renameFails },
        { "rename fails over unreadable settings", false, unreadable, Stop::renameFails },
        { "rename fails over the news settings",   true,  news,       Stop::renameFails },
        { "rename fails, without unnamed files",   false, good,       Stop::renameFails, true },
        { "killed while writing",                  false, good,       Stop::killed },
        { "killed while writing the news settings", true, news,       Stop::killed },
        { "killed while writing, without unnamed files", false, good, Stop::killed, true },
        { "killed between the new file's hidden name and the rename", false, good, Stop::killedBeforeTheRename }
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.kind);
        clearFolder (shared());

        BrioSettings probe;
        const juce::File file (c.news ? probe.getSecondSettingsFile() : probe.getGlobalSettingsFile());
        ASSERT_TRUE (file.replaceWithText (c.before));
        const auto path = file.getFullPathName().toStdString();
        const auto planted = describe (path);

        const auto save = [&c] (BrioSettings& store)
        {
            if (c.news)
                store.setSecondString (BrioStoredNames::newsReadIdKey, "9", false);
            else
                store.setGlobalValue ("WindowSize", 1.5, false);

            return c.news ? store.saveSecondSettings() : store.saveGlobalSettings();
        };

        refuseUnnamedFiles = c.withoutUnnamedFiles;

        if (c.stop == Stop::renameFails)
        {
            failRenamesOnto = file.getFileName().toStdString();
            BrioSettings store;
            EXPECT_FALSE (save (store));
            failRenamesOnto.clear();
        }
        else if (c.stop == Stop::killed)
        {
            killHalfway (1, [&] { BrioSettings store; save (store); });
        }
        else
        {
            killHalfway (1LL << 40, [&]
            {
                actAfterNaming = ".unfinished-";
                afterNamingAct = [] { ::write (stoppedPipe, "!", 1); for (;;) ::pause(); };
                BrioSettings store;
                save (store);
            });
        }

        EXPECT_EQ (describe (path), planted);
        EXPECT_EQ (setAsideOf (file), std::vector<std::string>());

        // What a save left is gone after the next one (an unnamed file, killed before it was
        // named, leaves nothing at all).
        const auto expectedBeside = std::set<std::string> { file.getFileName().toStdString() };

        if (! c.withoutUnnamedFiles && c.stop != Stop::killedBeforeTheRename)
            EXPECT_EQ (everythingBelow (file.getParentDirectory()), expectedBeside);

        BrioSettings store;
        EXPECT_TRUE (save (store));
        refuseUnnamedFiles = false;

        auto expectedAfter = expectedBeside;

        if (c.before == unreadable)
        {
            ASSERT_EQ (setAsideOf (file), std::vector<std::string> { planted });
            expectedAfter = everythingBelow (file.getParentDirectory());
            expectedAfter.erase (expectedBeside.begin()->c_str());
            EXPECT_EQ (expectedAfter.size(), 1u);
            expectedAfter.insert (*expectedBeside.begin());
        }

        EXPECT_EQ (everythingBelow (file.getParentDirectory()), expectedAfter);
    }
}

TEST_F (SettingsStoreTest, InstancesSavingOrImportingAtOnceLoseNothingAndSetAFileAsideOnce)
{
    // A store that loaded an unreadable file saved without the import flag once another had
    // set the file aside, so the next start imported the older presets again. An instance
    // that took the older settings while another imported lost them under the settings it
    // had loaded before. Two saves over one unreadable file gave it two names aside, as did
    // a save killed between its second name and its rename; where hard links are refused,
    // another instance's good settings could be set aside in the unreadable file's place.
    const std::string unreadable ("<<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\">>");
    const auto later = [] (std::function<void()> work)
    {
        // Given a second to finish: an instance that must wait for this one never does.
        auto done = std::make_shared<std::atomic<bool>> (false);
        auto worker = std::make_shared<std::thread> ([work, done] { work(); *done = true; });

        for (int i = 0; i < 100 && ! *done; ++i)
            std::this_thread::sleep_for (std::chrono::milliseconds (10));

        return worker;
    };

    struct Case
    {
        const char* kind;
        bool plantUnreadable;
        std::function<std::shared_ptr<std::thread> (const juce::File& file, const juce::File& olderSettings)> act;
        double windowSize;
        size_t namesAside;
    };

    const Case cases[] =
    {
        { "both loaded an unreadable file, then each saves", true, [] (const juce::File&, const juce::File&)
          {
              BrioSettings first, second;
              first.getGlobalDouble ("WindowSize", 1.0);
              second.getGlobalDouble ("WindowSize", 1.0);
              first.setGlobalValue ("WindowSize", 1.5, true);
              second.setGlobalValue ("WindowSize", 1.75, true);
              return std::shared_ptr<std::thread>();
          }, 1.75, 1 },

        { "another imports while this one takes the older settings", false, [&] (const juce::File&, const juce::File& older)
          {
              // Two reads copy the older settings, the third compares them with the copy.
              struct stat info {};
              EXPECT_EQ (0, ::stat (older.getFullPathName().toRawUTF8(), &info));
              std::shared_ptr<std::thread> another;
              std::function<void()> armed = [&] { another = later ([] { BrioSettings().migratePresetsOnce(); }); };

              for (int i = 0; i < 2; ++i)
                  armed = [armed, inode = info.st_ino] { beforeReading = armed; actBeforeReading = inode; };

              beforeReading = armed;
              actBeforeReading = info.st_ino;
              BrioSettings().migratePresetsOnce();
              actBeforeReading = 0;
              beforeReading = {};
              return another;
          }, 1.25, 0 },

        { "another saves while the unreadable file has its second name", true, [&] (const juce::File&, const juce::File&)
          {
              std::shared_ptr<std::thread> another;
              BrioSettings store;
              store.setGlobalValue ("WindowSize", 1.5, false);
              actAfterNaming = ".unreadable-";
              afterNamingAct = [&] { another = later ([] { BrioSettings().setGlobalValue ("WindowSize", 1.75, true); }); };
              EXPECT_TRUE (store.saveGlobalSettings());
              actAfterNaming.clear();
              afterNamingAct = {};
              return another;
          }, 1.75, 1 },

        { "another's good settings take the name just before the move, without hard links", true, [] (const juce::File& file, const juce::File&)
          {
              BrioSettings store;
              store.setGlobalValue ("WindowSize", 1.5, false);
              refuseLinksNamed = ".unreadable-";
              actBeforeRenaming = ".unreadable-";
              beforeRenamingAct = [file]
              {
                  ::rename (file.getFullPathName().toRawUTF8(), (file.getFullPathName() + ".unreadable-other").toRawUTF8());
                  file.replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"2\"/>");
              };
              EXPECT_TRUE (store.saveGlobalSettings());
              refuseLinksNamed.clear();
              actBeforeRenaming.clear();
              beforeRenamingAct = {};
              return std::shared_ptr<std::thread>();
          }, 1.5, 1 },

        { "a save killed between the second name and the rename left one", true, [] (const juce::File& file, const juce::File&)
          {
              EXPECT_EQ (0, ::link (file.getFullPathName().toRawUTF8(), (file.getFullPathName() + ".unreadable-20261207-101010").toRawUTF8()));
              BrioSettings().setGlobalValue ("WindowSize", 1.5, true);
              return std::shared_ptr<std::thread>();
          }, 1.5, 1 }
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.kind);
        clearFolder (shared());
        clearFolder (home());

        BrioSettings probe;
        const juce::File legacy (probe.getLegacyPresetsFolder());
        ASSERT_TRUE (legacy.createDirectory());
        ASSERT_TRUE (legacy.getChildFile ("New.qzr").replaceWithText ("<Tanglefix_SETTINGS/>"));
        ASSERT_TRUE (legacy.getChildFile ("Settings.xml").replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\"/>"));
        home().getChildFile (".local/share/Trash/files").createDirectory();

        const juce::File file (probe.getGlobalSettingsFile());
        const juce::File imported (probe.getPresetsFolder() + BrioStoredNames::legacyImportSegment);

        if (c.plantUnreadable)
            ASSERT_TRUE (file.replaceWithData (unreadable.data(), unreadable.size()));

        const auto planted = describe (file.getFullPathName().toStdString());

        if (const auto another = c.act (file, legacy.getChildFile ("Settings.xml")))
            another->join();

        EXPECT_EQ (BrioSettings().getGlobalDouble ("WindowSize", 1.0), c.windowSize);
        EXPECT_TRUE (BrioSettings().loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey));
        EXPECT_EQ (setAsideOf (file), std::vector<std::string> (c.namesAside, planted));

        // The next start imports nothing again: a preset deleted since stays deleted.
        imported.getChildFile ("New.qzr").deleteFile();
        BrioSettings().migratePresetsOnce();
        EXPECT_FALSE (imported.getChildFile ("New.qzr").exists());
    }
}

TEST_F (SettingsStoreTest, LocksHeldByAnotherProcessDelayAnInstanceButNeverStopIt)
{
    // Anybody who may open the shared folder may hold the locks that keep instances from
    // importing or saving at once, and for ever: an instance that waited without end would
    // hang its host as it starts, or as it saves. It waits a while, then starts without
    // importing, and saves.
    BrioSettings probe;
    const juce::File legacy (probe.getLegacyPresetsFolder());
    ASSERT_TRUE (legacy.createDirectory());
    ASSERT_TRUE (legacy.getChildFile ("New.qzr").replaceWithText ("<Tanglefix_SETTINGS/>"));
    const juce::File imported (probe.getPresetsFolder() + BrioStoredNames::legacyImportSegment);
    const auto settingsFolder = probe.getSettingsFolder();
    const auto migrated = [] { return BrioSettings().loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey); };

    {
        const BrioScopedDescriptor importLock (::open ((settingsFolder + BrioStoredNames::importLockFileName).toRawUTF8(),
                                                       O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        const BrioScopedDescriptor folder (::open (settingsFolder.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_EQ (0, ::flock (importLock.descriptor, LOCK_EX));
        ASSERT_EQ (0, ::flock (folder.descriptor, LOCK_EX));

        BrioSettings store;
        store.migratePresetsOnce();
        EXPECT_FALSE (imported.getChildFile ("New.qzr").exists());
        EXPECT_FALSE (migrated());
        store.setGlobalValue ("WindowSize", 1.5, true);
        EXPECT_EQ (BrioSettings().getGlobalDouble ("WindowSize", 1.0), 1.5);
    }

    BrioSettings().migratePresetsOnce();
    EXPECT_TRUE (imported.getChildFile ("New.qzr").existsAsFile());
    EXPECT_TRUE (migrated());
}

TEST_F (SettingsStoreTest, NamesThatBeginWithATildeAreImportedAsNames)
{
    // JUCE's getChildFile and getSiblingFile read a name that begins with '~' as a home
    // folder, or, without such a user, as relative to the working folder: the import
    // skipped such presets yet marked itself done, and an older folder that is a relative
    // link to one was looked for elsewhere.
    struct Case
    {
        const char* kind;
        const char* preset;             // below the older folder
        const char* makerFolderLinksTo; // the folder above the older folder is a relative link to this sibling
    };

    const Case cases[] =
    {
        { "a preset",                 "~Bass.qzr",        nullptr },
        { "a preset in a folder",     "Sub/~Lead.qzr",    nullptr },
        { "a folder",                 "~Old/Pad.qzr",     nullptr },
        { "a link on the way",        "Keys.qzr",         "~Presets" }
    };

    // Whatever lands relative to the working folder lands in this test's own.
    const auto previous = juce::File::getCurrentWorkingDirectory();
    tmp.getChildFile ("working").createDirectory();
    tmp.getChildFile ("working").setAsCurrentWorkingDirectory();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.kind);
        clearFolder (shared());
        clearFolder (home());

        BrioSettings probe;
        juce::File legacy (probe.getLegacyPresetsFolder());

        if (c.makerFolderLinksTo != nullptr)
        {
            const auto makerFolder = legacy.getParentDirectory();
            const juce::File target (makerFolder.getParentDirectory().getFullPathName() + "/" + c.makerFolderLinksTo);
            ASSERT_TRUE (target.createDirectory());
            ASSERT_EQ (0, ::symlink (c.makerFolderLinksTo, makerFolder.getFullPathName().toRawUTF8()));
            legacy = juce::File (target.getFullPathName() + "/" + legacy.getFileName());
        }

        const auto preset = legacy.getFullPathName() + "/" + c.preset;
        ASSERT_TRUE (juce::File (preset).getParentDirectory().createDirectory());
        ASSERT_TRUE (juce::File (preset).replaceWithText ("<Tanglefix_SETTINGS Gain=\"0.7\"/>"));

        BrioSettings().migratePresetsOnce();

        const juce::File copy (probe.getPresetsFolder() + BrioStoredNames::legacyImportSegment + "/" + c.preset);
        EXPECT_EQ (copy.loadFileAsString(), "<Tanglefix_SETTINGS Gain=\"0.7\"/>");
        EXPECT_TRUE (BrioSettings().loadGlobalSettings (true)->getBoolAttribute (BrioStoredNames::presetsMigratedKey));
        EXPECT_EQ (everythingBelow (tmp.getChildFile ("working")), std::set<std::string>());
    }

    previous.setAsCurrentWorkingDirectory();
}

TEST_F (SettingsStoreTest, AFileIsParsedAgainOnlyWhenItChanged)
{
    const auto& cache = BrioSettingsCache::getInstance();

    // On the documents folder's file system, and on one whose times follow the clock's tick
    // (as many do), where a rewrite within one tick keeps every time of the file.
    for (const bool coarseTimes : { false, true })
    {
        SCOPED_TRACE (coarseTimes ? "times of the clock's tick" : "documents folder");
        clearFolder (shared());
        const juce::File file (BrioSettings().getGlobalSettingsFile());
        std::optional<CoarseTimesMount> mount;

        if (coarseTimes && ! mount.emplace (file.getParentDirectory()).mounted)
            GTEST_SKIP() << "no file system of its own may be mounted here";

        file.replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.25\"/>");

        const auto rewriteInPlace = [&] (const char* text)
        {
            std::ofstream out (file.getFullPathName().toStdString(), std::ios::binary | std::ios::trunc);
            out << text;
        };

        const auto timesOf = [&]
        {
            struct stat info {};
            ::stat (file.getFullPathName().toRawUTF8(), &info);
            return std::make_tuple (info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec,
                                    info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
        };

        // Where times follow the tick, a rewrite just after a read lands within its tick as a
        // rule: the store reads a version, and the next one comes at once, until it does.
        bool landedWithinOneTick = false;
        const auto rewriteWithinOneTick = [&] (const char* first, const char* second)
        {
            for (int attempt = 0; attempt < 50 && ! landedWithinOneTick; ++attempt)
            {
                rewriteInPlace (first);
                BrioSettingsCache::getInstance().getKind (file);
                const auto read = timesOf();
                rewriteInPlace (second);
                landedWithinOneTick = timesOf() == read;
            }
        };

        // As `cp -p` or `touch -d` leave it: another text of the same size, its modification
        // time put back.
        const auto rewriteWithTimePutBack = [&] (const juce::String& from, const juce::String& to)
        {
            const auto modified = file.getLastModificationTime();
            const auto text = file.loadFileAsString();
            ASSERT_TRUE (text.contains (from));
            rewriteInPlace (text.replace (from, to).toRawUTF8());
            file.setLastModificationTime (modified);
        };

        struct Change
        {
            const char* what;
            std::function<void()> make;
            double windowSize;
            int parses;
        };

        const Change changes[] =
        {
            { "none",                      [] {},                                                                         1.25, 1 },
            { "none, another store",       [] {},                                                                         1.25, 0 },
            { "replaced by a new file",    [&] { file.replaceWithText ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"1.5\"/>"); }, 1.5, 1 },
            { "rewritten in place",        [&] { rewriteInPlace ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"0.75\"/>"); },    0.75, 1 },
            { "same size, same moment",    [&] { rewriteWithinOneTick ("<Tanglefix_GLOBAL_SETTINGS WindowSize=\"0.75\"/>",
                                                                       "<Tanglefix_GLOBAL_SETTINGS WindowSize=\"0.50\"/>"); }, 0.5, 1 },
            { "written by a store",        [] { BrioSettings().setGlobalValue ("WindowSize", 2.0, true); },               2.0, 0 },
            { "older, unchanged",          [&] { file.setLastModificationTime (juce::Time::getCurrentTime() - juce::RelativeTime::minutes (1)); }, 2.0, 1 },
            { "older, again",              [] {},                                                                         2.0, 0 },
            { "same size, time put back",  [&] { rewriteWithTimePutBack ("\"2.0\"", "\"3.0\""); },                        3.0, 1 }
        };

        for (const auto& change : changes)
        {
            SCOPED_TRACE (change.what);
            change.make();
            const auto before = cache.getNumParses();

            BrioSettings store;
            EXPECT_EQ (store.getGlobalDouble ("WindowSize", 1.0), change.windowSize);
            EXPECT_EQ (store.loadGlobalSettings (true)->getDoubleAttribute ("WindowSize"), change.windowSize);
            EXPECT_EQ (cache.getNumParses() - before, change.parses);
        }

        if (coarseTimes)
        {
            EXPECT_TRUE (landedWithinOneTick);
        }
    }
}
