#include "ProcessorFixture.h"

#include <csignal>
#include <sys/resource.h>

namespace
{
    class PresetTest  : public ProcessorTest {};

    /** Makes every file write beyond a few bytes fail, as on a full disk, for its lifetime. */
    class ScopedFileSizeLimit
    {
    public:
        explicit ScopedFileSizeLimit (rlim_t bytes)
        {
            getrlimit (RLIMIT_FSIZE, &previous);
            previousHandler = std::signal (SIGXFSZ, SIG_IGN);

            auto limited = previous;
            limited.rlim_cur = bytes;
            setrlimit (RLIMIT_FSIZE, &limited);
        }

        ~ScopedFileSizeLimit()
        {
            setrlimit (RLIMIT_FSIZE, &previous);
            std::signal (SIGXFSZ, previousHandler);
        }

    private:
        rlimit previous {};
        void (*previousHandler) (int) = nullptr;
    };
}

//==============================================================================
TEST_F (PresetTest, LoadRespectsLocksAndIgnoresBypass)
{
    auto p = makeProcessor();
    set (p->frequencyParam, 0.2f);
    set (p->gainParam, 0.9f);
    set (p->mixParam, 0.7f);
    set (p->bypassParam, 1.0f);
    p->limiterOn = true;
    p->setOversamplingFactor (2);

    const auto file = presetsFolder().getChildFile ("User/Bright.qzr");   // User/ doesn't exist yet
    ASSERT_TRUE (p->savePresetFile (file).wasOk());
    EXPECT_EQ (p->getCurrentPresetName(), "Init");

    set (p->frequencyParam, 0.8f);
    set (p->gainParam, 0.1f);
    set (p->mixParam, 0.1f);
    set (p->bypassParam, 0.0f);
    p->limiterOn = false;
    p->setOversamplingFactor (1);
    p->setLockedParameterNames ({ "Gain" });

    p->loadPresetFile (file.getFullPathName());
    EXPECT_EQ (p->getCurrentPresetName(), file.getFullPathName());
    EXPECT_EQ (p->frequencyParam->getValue(), 0.2f);
    EXPECT_EQ (p->mixParam->getValue(), 0.7f);
    EXPECT_EQ (p->gainParam->getValue(), 0.1f);     // locked
    EXPECT_EQ (p->bypassParam->getValue(), 0.0f);   // never taken from a preset
    EXPECT_TRUE (p->limiterOn);
    EXPECT_EQ (p->oversamplingFactor, 2);

    // A file that isn't a preset changes nothing, the name included: Save would
    // propose it.
    const auto junk = presetsFolder().getChildFile ("Junk.qzr");
    junk.replaceWithText ("<SomethingElse Frequency=\"0.9\"/>");
    EXPECT_TRUE (p->loadPresetFile (junk.getFullPathName()).failed());
    EXPECT_TRUE (p->loadPresetFile ("/no/such/preset.qzr").failed());
    EXPECT_EQ (p->getCurrentPresetName(), file.getFullPathName());
    EXPECT_EQ (p->frequencyParam->getValue(), 0.2f);
}

TEST_F (PresetTest, InitFileGivesStartValuesAndDefaultsButNeverBypass)
{
    presetsFolder().getChildFile ("Init.qzr")
        .replaceWithText ("<Tanglefix_SETTINGS Frequency=\"0.25\" Mix=\"0.8\" Bypass=\"1\" Oversample=\"3\"/>");

    auto p = makeProcessor();
    EXPECT_EQ (p->getCurrentPresetName(), presetsFolder().getChildFile ("Init.qzr").getFullPathName());
    EXPECT_EQ (p->frequencyParam->getValue(), 0.25f);
    EXPECT_EQ (p->emphasisParam->getValue(), 0.5f);   // absent: the coded default
    EXPECT_EQ (p->mixParam->getDefaultValue(), 0.8f);
    EXPECT_EQ (p->bypassParam->getValue(), 0.0f);
    EXPECT_EQ (p->crossfade.requestedState, 0);
    EXPECT_EQ (p->oversamplingFactor, 1);

    // A preset without Mix falls back to the Init value.
    set (p->mixParam, 0.1f);
    const auto noMix = presetsFolder().getChildFile ("NoMix.qzr");
    noMix.replaceWithText ("<Tanglefix_SETTINGS Frequency=\"0.6\"/>");
    p->loadPresetFile (noMix.getFullPathName());
    EXPECT_EQ (p->mixParam->getValue(), 0.8f);
    EXPECT_EQ (p->frequencyParam->getValue(), 0.6f);
}

TEST_F (PresetTest, FailedSaveReportsAndKeepsTheOlderPreset)
{
    auto p = makeProcessor();

    // A plain file where the preset's folder should be.
    presetsFolder().getChildFile ("Blocked").replaceWithText ("");
    const auto blocked = p->savePresetFile (presetsFolder().getChildFile ("Blocked/A.qzr"));
    EXPECT_TRUE (blocked.failed());
    EXPECT_TRUE (blocked.getErrorMessage().contains ("Blocked"));

    // A write that fails half-way leaves the older file whole and no leftovers.
    const auto folder = presetsFolder().getChildFile ("Keep");
    const auto file = folder.getChildFile ("Good.qzr");
    ASSERT_TRUE (p->savePresetFile (file).wasOk());
    const auto good = file.loadFileAsString();

    set (p->gainParam, 0.123f);
    juce::Result result = juce::Result::ok();
    {
        const ScopedFileSizeLimit limit (40);
        result = p->savePresetFile (file);
    }

    EXPECT_TRUE (result.failed());
    EXPECT_TRUE (result.getErrorMessage().contains ("Good.qzr"));
    EXPECT_EQ (file.loadFileAsString(), good);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);   // hidden ones too
}

//==============================================================================
TEST_F (PresetTest, PasteAppliesLockedParametersAndBypass)
{
    auto p = makeProcessor();
    set (p->gainParam, 0.9f);
    set (p->bypassParam, 1.0f);
    set (p->operationsParam, 0.6f);
    p->copySettingsToClipboard();

    set (p->gainParam, 0.2f);
    set (p->bypassParam, 0.0f);
    set (p->operationsParam, 0.0f);
    p->setLockedParameterNames ({ "Gain", "Bypass" });

    p->pasteSettingsFromClipboard();
    EXPECT_EQ (p->gainParam->getValue(), 0.9f);
    EXPECT_EQ (p->bypassParam->getValue(), 1.0f);
    EXPECT_EQ (p->operationsParam->getValue(), 0.6f);

    juce::SystemClipboard::copyTextToClipboard ("Gain=0.1, not a settings element");
    p->pasteSettingsFromClipboard();
    EXPECT_EQ (p->gainParam->getValue(), 0.9f);
}
