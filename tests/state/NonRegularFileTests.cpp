// The shared folder is writable by every user, so anything may stand where a preset or a
// settings file is expected: a named pipe, a link to a device, a folder. Each is refused
// like a malformed file, at once, and nothing hangs or aborts the host.

#include "ProcessorFixture.h"

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{
    class SpecialFileTest  : public ProcessorTest
    {
    protected:
        /** Runs the call on a thread of its own and tells whether it came back by itself.
            A call stuck in opening one of the pipes for reading is what a writer's
            non-blocking open finds: the writer releases it, so a failing test still ends,
            and the release is the failure. Nothing here depends on how long a call takes. */
        bool returnsByItself (const std::function<void()>& call)
        {
            juce::WaitableEvent done (true);   // stays signalled once the call is back
            std::thread caller ([&] { call(); done.signal(); });
            auto released = false;

            while (! done.wait (100))
                for (const auto& pipe : pipes)
                    if (const auto writer = ::open (pipe.getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK); writer >= 0)
                    {
                        released = true;
                        ::close (writer);
                    }

            caller.join();
            return ! released;
        }

        juce::File makePipe (const juce::File& file)
        {
            file.deleteFile();
            file.getParentDirectory().createDirectory();
            EXPECT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0666), 0) << file.getFullPathName();
            pipes.add (file);
            return file;
        }

        static bool isRegularFile (const juce::File& file)
        {
            struct stat info {};
            return ::lstat (file.getFullPathName().toRawUTF8(), &info) == 0 && S_ISREG (info.st_mode);
        }

        juce::Array<juce::File> pipes;
    };
}

//==============================================================================
TEST_F (SpecialFileTest, PresetsThatAreNoPlainFilesAreRefusedAtOnce)
{
    auto p = makeProcessor();
    set (p->frequencyParam, 0.3f);

    const auto folder = presetsFolder();
    juce::Array<juce::File> presets { makePipe (folder.getChildFile ("Pipe.qzr")),
                                      folder.getChildFile ("Zeros.qzr"),
                                      folder.getChildFile ("Folder.qzr") };
    ASSERT_TRUE (juce::File ("/dev/zero").createSymbolicLink (presets[1], true));
    ASSERT_TRUE (presets[2].createDirectory());

    // A regular file that reports a size of 0 but reads as megabytes.
    const juce::File growing ("/proc/kallsyms");

    if (growing.existsAsFile() && growing.loadFileAsString().length() > 1024 * 1024)
    {
        presets.add (folder.getChildFile ("Growing.qzr"));
        ASSERT_TRUE (growing.createSymbolicLink (presets.getLast(), true));
    }

    for (const auto& preset : presets)
    {
        auto result = juce::Result::ok();
        EXPECT_TRUE (returnsByItself ([&] { result = p->loadPresetFile (preset.getFullPathName()); }))
            << preset.getFileName();

        EXPECT_TRUE (result.failed()) << preset.getFileName();
        EXPECT_TRUE (result.getErrorMessage().contains (preset.getFullPathName())) << result.getErrorMessage();
        EXPECT_NE (p->getCurrentPresetName(), preset.getFullPathName());
        EXPECT_EQ (p->frequencyParam->getValue(), 0.3f);
    }
}

TEST_F (SpecialFileTest, SettingsFilesThatArePipesNeitherHangTheProcessorNorStayInTheWay)
{
    const BrioSettings store;
    makePipe (store.getGlobalSettingsFile());
    makePipe (store.getSecondSettingsFile());

    // The older presets are moved at the first start; their settings file lies in the
    // shared folder too.
    const auto olderPreset = home().getChildFile (".local/share/Larkspan Presets/Tanglefix/Old.qzr");
    ASSERT_TRUE (olderPreset.create().wasOk());
    olderPreset.replaceWithText ("<Tanglefix_SETTINGS Frequency=\"0.1\"/>");
    makePipe (presetsFolder().getChildFile ("Imported/Settings.xml"));

    std::unique_ptr<TanglefixAudioProcessor> p;
    ASSERT_TRUE (returnsByItself ([&] { p = makeProcessor(); }));
    EXPECT_EQ (p->windowScale, 1.0);

    // Whether they were moved is unknown while the settings can't be read.
    EXPECT_FALSE (presetsFolder().getChildFile ("Imported/Old.qzr").exists());

    // Refused like a malformed file: the next save sets it aside and puts a real settings
    // file in its place.
    BrioSettings writer;
    ASSERT_TRUE (returnsByItself ([&] { writer.setGlobalValue ("WindowSize", 1.5, true); }));
    EXPECT_TRUE (isRegularFile (store.getGlobalSettingsFile()));
    EXPECT_EQ (BrioSettings().getGlobalDouble ("WindowSize", 1.0), 1.5);
}
