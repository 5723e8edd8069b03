#include "BrioTrash.h"

#include <BrioFolderListing.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    /** Creates the entry only when no entry of that name exists yet: the name in the
        trash is claimed by whoever creates the entry first. Returns false when taken. */
    bool createEntryExclusively (const juce::File& entry, const juce::String& text, bool& failed)
    {
        const int fd = ::open (entry.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL, 0600);

        if (fd < 0)
        {
            failed = (errno != EEXIST);
            return false;
        }

        const auto* bytes = text.toRawUTF8();
        const auto size = (ssize_t) text.getNumBytesAsUTF8();
        const bool written = ::write (fd, bytes, (size_t) size) == size;
        const bool closed = ::close (fd) == 0;

        if (written && closed)
            return true;

        entry.deleteFile();
        failed = true;
        return false;
    }

    juce::String nameForAttempt (const juce::File& file, int attempt)
    {
        if (attempt == 1)
            return file.getFileName();

        return file.getFileNameWithoutExtension() + "." + juce::String (attempt) + file.getFileExtension();
    }

    juce::Result makeFolder (const juce::File& folder)
    {
        if (folder.isDirectory())
            return juce::Result::ok();

        const auto result = folder.createDirectory();

        if (result.wasOk())
            ::chmod (folder.getFullPathName().toRawUTF8(), 0700);   // the trash is private

        return result;
    }
}

//==============================================================================
juce::File BrioTrash::getHomeTrash()
{
    // JUCE's getEnvironmentVariable copies the bytes unchecked (BrioFolderListing).
    const auto dataHome = BrioFolderListing::environmentVariable ("XDG_DATA_HOME");

    if (juce::File::isAbsolutePath (dataHome))
        return juce::File (dataHome).getChildFile ("Trash");

    // Not "~": JUCE expands it from HOME unchecked, and a home of other bytes would
    // name another folder.
    const auto home = BrioFolderListing::homeFolder();
    return home != juce::File() ? home.getChildFile (".local/share/Trash") : juce::File();
}

juce::Result BrioTrash::moveToTrash (const juce::File& file)
{
    const auto trash = getHomeTrash();

    if (trash == juce::File())
        return juce::Result::fail ("There is no trash to move \"" + file.getFileName()
                                   + "\" to: the name of the home folder is not UTF-8.");

    return moveToTrash (file, trash);
}

juce::Result BrioTrash::moveToTrash (const juce::File& file, const juce::File& trash)
{
    if (! file.existsAsFile())
        return juce::Result::fail ("The file \"" + file.getFullPathName() + "\" does not exist.");

    const auto filesFolder = trash.getChildFile ("files");
    const auto infoFolder = trash.getChildFile ("info");

    for (const auto& folder : { trash, filesFolder, infoFolder })
        if (const auto made = makeFolder (folder); made.failed())
            return juce::Result::fail ("Could not create the trash folder \"" + folder.getFullPathName()
                                       + "\": " + made.getErrorMessage());

    const auto entryText = "[Trash Info]\nPath=" + encodePath (file.getFullPathName())
                         + "\nDeletionDate=" + juce::Time::getCurrentTime().formatted ("%Y-%m-%dT%H:%M:%S") + "\n";

    for (int attempt = 1; attempt < 10000; ++attempt)
    {
        const auto name = nameForAttempt (file, attempt);
        const auto entry = infoFolder.getChildFile (name + ".trashinfo");
        const auto target = filesFolder.getChildFile (name);
        bool failed = false;

        if (! createEntryExclusively (entry, entryText, failed))
        {
            if (failed)
                return juce::Result::fail ("Could not write to the trash folder \"" + infoFolder.getFullPathName() + "\".");

            continue;
        }

        // A file left in "files" without its entry (by another program) keeps its name.
        if (target.exists())
        {
            entry.deleteFile();
            continue;
        }

        if (file.moveFileTo (target))
            return juce::Result::ok();

        entry.deleteFile();
        return juce::Result::fail ("Could not move \"" + file.getFullPathName() + "\" to the trash.");
    }

    return juce::Result::fail ("The trash has no free name for \"" + file.getFileName() + "\".");
}

juce::String BrioTrash::encodePath (const juce::String& path)
{
    juce::String encoded;
    const auto* bytes = path.toRawUTF8();

    for (size_t i = 0; bytes[i] != 0; ++i)
    {
        const auto c = (unsigned char) bytes[i];

        if (juce::CharacterFunctions::isLetterOrDigit ((char) c) && c < 0x80)
            encoded << (char) c;
        else if (c == '/' || c == '-' || c == '_' || c == '.' || c == '~')
            encoded << (char) c;
        else
            encoded << '%' << juce::String::toHexString ((int) c).paddedLeft ('0', 2).toUpperCase();
    }

    return encoded;
}
