// JUCE turns bytes from outside (file names, links, the environment) into strings in
// places the project does not control. Whatever the bytes, the string must stay inside
// the block it allocated, and every later walk through it must stay inside the text.
// Under AddressSanitizer, with JUCE's core instrumented (tanglefix_juce_asan).

#include "../ScopedVariable.h"
#include "../TestFolder.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <sys/mman.h>

namespace
{
    namespace fs = std::filesystem;

    struct HostileForm
    {
        const char* what;
        std::string bytes;
    };

    std::string repeated (const std::string& piece, int times)
    {
        std::string result;

        for (int i = 0; i < times; ++i)
            result += piece;

        return result;
    }

    /** Each form repeated, so that any difference between the decoded size and the bytes
        copied reaches well past the rounding of JUCE's blocks; some end with the form,
        so that a walk that trusts a lead byte meets the terminating zero. */
    std::vector<HostileForm> hostileForms()
    {
        return {
            { "overlong", "x" + repeated ("\xc1\x81", 40) + ".qzr" },
            { "overlong three bytes", repeated ("\xe0\x80\xaf", 30) + "end" },
            { "C0 80", "f\xc0\x80" + repeated ("B", 200) + ".ttf" },
            { "lone continuation", "lone" + repeated ("\x80", 60) + "tail" },
            { "continuation after text", repeated ("a\xbf", 40) },
            { "cut at the end", repeated ("z", 40) + "\xe2\x82" },
            { "lead byte at the end", repeated ("z", 41) + "\xf0" },
            { "surrogates", repeated ("\xed\xa0\x80\xed\xbf\xbf", 20) },
            { "five bytes", repeated ("\xf8\x88\x80\x80\x80", 30) },
            { "six bytes", repeated ("\xfc\x84\x80\x80\x80\x80", 30) },
            { "above U+10FFFF", repeated ("\xf4\x90\x80\x80\xf7\xbf\xbf\xbf", 20) },
            { "Latin-1", repeated ("Caf\xe9 ", 30) },
        };
    }

    /** The text holds together: measured, walked and made again, it is the same. */
    void expectConsistent (const juce::String& text, const HostileForm& form)
    {
        const auto* raw = text.toRawUTF8();
        EXPECT_EQ (text.getNumBytesAsUTF8(), std::strlen (raw)) << form.what;
        EXPECT_EQ (juce::String (juce::CharPointer_UTF8 (raw)), text) << form.what;
        EXPECT_EQ (juce::String::fromUTF8 (raw, (int) std::strlen (raw)), text) << form.what;

        // The walks JUCE's own code takes over a file name.
        EXPECT_LE (text.length(), (int) std::strlen (raw)) << form.what;
        EXPECT_EQ (text.substring (1).length(), juce::jmax (0, text.length() - 1)) << form.what;
        EXPECT_EQ (text.paddedRight ('.', 300).length(), juce::jmax (300, text.length())) << form.what;
        EXPECT_EQ (text.paddedLeft ('.', 300).getLastCharacter(), text.getLastCharacter()) << form.what;
        EXPECT_EQ (juce::String (text.toWideCharPointer()), text) << form.what;
        EXPECT_GT (text.toUTF16().sizeInBytes(), (size_t) 0) << form.what;
        EXPECT_GE (text.indexOfChar (0x2603), -1) << form.what;
        EXPECT_EQ (text.trim().length() <= text.length(), true) << form.what;

        juce::StringArray parts { text, text };
        EXPECT_EQ (parts.joinIntoString ("/"), text + "/" + text) << form.what;

        char copied[16];
        EXPECT_LE (text.copyToUTF8 (copied, sizeof (copied)), sizeof (copied)) << form.what;
    }
}

//==============================================================================
TEST (Utf8Strings, EveryConstructorStaysInsideItsBlock)
{
    for (const auto& form : hostileForms())
    {
        const auto* bytes = form.bytes.c_str();
        const auto numBytes = form.bytes.size();

        expectConsistent (juce::String (juce::CharPointer_UTF8 (bytes)), form);
        expectConsistent (juce::String::fromUTF8 (bytes), form);
        expectConsistent (juce::String::fromUTF8 (bytes, (int) numBytes), form);
        expectConsistent (juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + numBytes)), form);
        expectConsistent (juce::String (juce::CharPointer_UTF8 (bytes), numBytes), form);
        expectConsistent (juce::String (form.bytes), form);
        expectConsistent (juce::String (juce::StringRef (bytes)), form);

        juce::String appended ("prefix ");
        appended += juce::String (juce::CharPointer_UTF8 (bytes));
        expectConsistent (appended, form);
    }
}

TEST (Utf8Strings, FilesAndTheEnvironmentStayInsideTheirBlocks)
{
    for (const auto& form : hostileForms())
    {
        const auto path = "/nowhere/" + form.bytes;
        const juce::File file (juce::CharPointer_UTF8 (path.c_str()));
        expectConsistent (file.getFullPathName(), form);
        expectConsistent (file.getFileName(), form);
        expectConsistent (file.getParentDirectory().getChildFile (file.getFileName()).getFullPathName(), form);

        {
            const tanglefix_tests::ScopedVariable variable ("TANGLEFIX_HOSTILE_VALUE", form.bytes);
            expectConsistent (juce::SystemStats::getEnvironmentVariable ("TANGLEFIX_HOSTILE_VALUE", {}), form);
        }

        {
            const tanglefix_tests::ScopedVariable home ("HOME", path);
            expectConsistent (juce::File::getSpecialLocation (juce::File::userHomeDirectory).getFullPathName(), form);
        }
    }
}

TEST (Utf8Strings, ListingsAndLinksStayInsideTheirBlocks)
{
    const tanglefix_tests::TestFolder folder;
    const auto forms = hostileForms();

    for (const auto& form : forms)
    {
        std::ofstream (folder.file (form.bytes)) << "x";
        fs::create_symlink (form.bytes, folder.file (std::string ("link to ") + form.what));
    }

    const juce::File listed (folder.path);
    int numFound = 0;

    for (const auto& entry : juce::RangedDirectoryIterator (listed, false, "*", juce::File::findFilesAndDirectories))
    {
        const HostileForm found { "listed", {} };
        expectConsistent (entry.getFile().getFileName(), found);
        ++numFound;
    }

    EXPECT_EQ (numFound, (int) forms.size() * 2);

    for (const auto& form : forms)
    {
        const auto link = listed.getChildFile (juce::String ("link to ") + form.what);
        ASSERT_TRUE (link.isSymbolicLink()) << form.what;
        expectConsistent (link.getLinkedTarget().getFullPathName(), form);
    }

    for (const auto& child : listed.findChildFiles (juce::File::findFiles, false))
        expectConsistent (child.getFullPathName(), { "child", {} });
}

TEST (Utf8Strings, WellFormedTextKeepsEveryByte)
{
    const std::string texts[] = { "plain", "caf\xc3\xa9", "\xe2\x82\xac 5", "\xf0\x9f\x8e\xb5 notes",
                                  "\xf4\x8f\xbf\xbf", "\xef\xbf\xbd" };

    for (const auto& text : texts)
    {
        for (const auto& made : { juce::String (juce::CharPointer_UTF8 (text.c_str())),
                                  juce::String::fromUTF8 (text.c_str(), (int) text.size()),
                                  juce::String (text) })
            EXPECT_EQ (made.toStdString(), text);
    }
}

TEST (Utf8Strings, TextBeyondTwoGigabytesIsCheckedAsAShortOneIs)
{
    // A string made from a start and an end is checked over all its bytes: a count that
    // wrapped beyond INT_MAX let malformed bytes through as they came. The source is a
    // sparse mapping, zeros after one malformed byte, so that only JUCE's copy of it takes
    // memory (a little over 2 GiB, for a moment).
    const auto numBytes = (size_t) std::numeric_limits<int>::max() + 2;
    auto* source = static_cast<char*> (mmap (nullptr, numBytes, PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
    ASSERT_NE (source, MAP_FAILED);
    source[0] = '\xbf';

    const juce::String shortOne (juce::CharPointer_UTF8 (source), juce::CharPointer_UTF8 (source + 2));
    const juce::String longOne (juce::CharPointer_UTF8 (source), juce::CharPointer_UTF8 (source + numBytes));
    munmap (source, numBytes);

    EXPECT_EQ (std::string (longOne.toRawUTF8()), std::string (shortOne.toRawUTF8()));
}
