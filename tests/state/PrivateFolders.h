#pragma once

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <cstdlib>
#include <filesystem>

//==============================================================================
/**
    The store writes below JUCE's common documents folder (/opt on Linux) and the user's
    home folder. These tests only ever run inside tests/private-run.sh, which mounts a
    fresh /opt and points HOME at a temporary folder; outside it they refuse to run, so
    that nobody's real folders get touched by accident.
*/
class PrivateFoldersTest  : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* scratch = std::getenv ("TANGLEFIX_TEST_TMP");
        ASSERT_TRUE (scratch != nullptr && std::getenv ("TANGLEFIX_IN_PRIVATE_NS") != nullptr)
            << "run these tests through tests/private-run.sh (ctest does)";

        const juce::File scratchFolder (juce::String { scratch });
        ASSERT_EQ (home().getParentDirectory(), scratchFolder.getParentDirectory())
            << "HOME is not the private one";

        tmp = scratchFolder.getChildFile (::testing::UnitTest::GetInstance()
                                                                    ->current_test_info()->name());
        clearFolder (shared());
        clearFolder (home());
        tmp.deleteRecursively (false);
        tmp.createDirectory();
    }

    static juce::File shared()
    {
        return juce::File::getSpecialLocation (juce::File::commonDocumentsDirectory);
    }

    static juce::File home()
    {
        return juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    }

    /** Through std::filesystem: a test may leave names there that JUCE's listing
        can't hold. */
    static void clearFolder (const juce::File& folder)
    {
        std::error_code ignored;

        for (const auto& entry : std::filesystem::directory_iterator (folder.getFullPathName().toStdString(), ignored))
            std::filesystem::remove_all (entry.path(), ignored);
    }

    juce::File tmp;    // this test's own scratch folder
};
