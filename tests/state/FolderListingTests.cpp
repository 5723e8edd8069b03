#include "PrivateFolders.h"

#include <BrioFolderListing.h>
#include <BrioPresetTree.h>
#include <BrioSettings.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{
    namespace fs = std::filesystem;

    /** Names made of bytes JUCE's strings can't hold: overlong forms, Latin-1, a lone
        continuation byte, an encoded surrogate. */
    std::vector<std::string> hostileNames()
    {
        std::string overlong ("x");

        for (int i = 0; i < 40; ++i)
            overlong += "\xc1\x81";

        return { overlong, "Caf\xe9", "lone\x80", "sur\xed\xa0\x80" };
    }

    void touch (const fs::path& file)
    {
        fs::create_directories (file.parent_path());
        std::ofstream (file) << "<TanglefixSETTINGS/>";
    }

    std::string rawPath (const juce::File& f)   { return f.getFullPathName().toStdString(); }

    void collect (const BrioPresetTree::Folder& folder, juce::StringArray& lines)
    {
        for (const auto& sub : folder.subfolders)
        {
            lines.add ("[" + sub.name + "]");
            collect (sub, lines);
            lines.add ("[/]");
        }

        for (const auto& path : folder.presetPaths)
            lines.add (path.fromLastOccurrenceOf ("/", false, false));
    }

    juce::String describe (const BrioPresetTree& tree)
    {
        juce::StringArray lines;
        collect (tree.root, lines);
        return lines.joinIntoString (" ");
    }

    class PresetTreeTest  : public PrivateFoldersTest
    {
    protected:
        void SetUp() override
        {
            PrivateFoldersTest::SetUp();
            root = rawPath (tmp) + "/presets";
            fs::create_directories (root);
        }

        std::string root;
    };
}

//==============================================================================
TEST_F (PresetTreeTest, LeavesOutAndCountsNamesThatAreNotUtf8)
{
    touch (root + "/Good.qzr");
    touch (root + "/Good folder/In.qzr");

    const auto names = hostileNames();

    for (size_t i = 0; i < names.size(); ++i)
    {
        const auto& name = names[i];
        touch (root + "/" + name + ".qzr");
        touch (root + "/" + name + "/Inside " + std::to_string (i) + ".qzr");
        fs::create_directory_symlink (root + "/" + name, root + "/Link " + std::to_string (i));
        fs::create_directories (root + "/Outer " + std::to_string (i));
        fs::create_directory_symlink (root + "/" + name, root + "/Outer " + std::to_string (i) + "/Deep link");

        // Not a preset by its extension: not counted.
        touch (root + "/" + name + ".txt");
    }

    const BrioPresetTree tree { juce::String (root) };

    EXPECT_EQ (describe (tree), "[Good folder] In.qzr [/] [Outer 0] [/] [Outer 1] [/] [Outer 2] [/] [Outer 3] [/] Good.qzr");
    EXPECT_EQ (tree.numPresets, 2);
    EXPECT_EQ (tree.numUnreadableNames, 4 * (int) names.size());
    EXPECT_FALSE (tree.limitReached);

    // The root itself behind a link whose target is no UTF-8: nothing is read.
    const auto badRoot = rawPath (tmp) + "/" + names[0];
    fs::rename (root, badRoot);
    fs::create_directory_symlink (badRoot, root);
    EXPECT_EQ (BrioPresetTree (juce::String (root)).numPresets, 0);
    EXPECT_EQ (BrioFolderListing::realPath (juce::String (root)), juce::String());
    EXPECT_EQ (BrioFolderListing::followLink (juce::File (juce::String (root))), juce::File (juce::String (root)));
}

TEST_F (PresetTreeTest, LimitsLeaveOutWhatLiesBeyondThem)
{
    const BrioPresetTree::Limits limits { 3, 5, 4, 100 };
    touch (root + "/1/2/3/Deep.qzr");
    touch (root + "/1/2/3/4/Too deep.qzr");

    EXPECT_EQ (describe (BrioPresetTree (juce::String (root), limits)), "[1] [2] [3] Deep.qzr [/] [/] [/]");
    EXPECT_TRUE (BrioPresetTree (juce::String (root), limits).limitReached);

    fs::remove_all (root + "/1/2/3/4");
    EXPECT_FALSE (BrioPresetTree (juce::String (root), limits).limitReached);

    for (const auto* name : { "a", "b", "c", "d", "e" })
        touch (root + "/" + std::string (name) + ".qzr");

    for (const auto* name : { "F1", "F2", "F3" })
        fs::create_directory (root + "/" + std::string (name));

    const BrioPresetTree tree { juce::String (root), limits };
    EXPECT_EQ (describe (tree), "[1] [2] [3] Deep.qzr [/] [/] [/] [F1] [/] [F2] [/] a.qzr b.qzr c.qzr");
    EXPECT_TRUE (tree.limitReached);

    // Entries read count whatever they are.
    for (int i = 0; i < 120; ++i)
        touch (root + "/F3/junk " + std::to_string (i));

    EXPECT_TRUE (BrioPresetTree (juce::String (root), { 8, 100, 100, 100 }).limitReached);
}

TEST_F (PresetTreeTest, DanglingLinksAreNoPresets)
{
    touch (root + "/Real.qzr");
    fs::create_symlink (root + "/Missing.qzr", root + "/Dangling.qzr");
    fs::create_symlink (root + "/Loop.qzr", root + "/Loop.qzr");
    fs::create_symlink (root + "/Real.qzr", root + "/Alias.QZR");

    EXPECT_EQ (describe (BrioPresetTree (juce::String (root))), "Alias.QZR Real.qzr");
}

TEST_F (PresetTreeTest, FoldersSwappedForLinksAfterListingStayUnwalked)
{
    // Another user swaps folders for links to what lies outside at the worst moment:
    // after the walk listed their parent, before it opens them. Links that were links
    // when listed are still followed inside the tree.
    const auto outside = rawPath (tmp) + "/outside";
    touch (outside + "/Secret.qzr");
    touch (outside + "/deeper/Secret2.qzr");
    touch (root + "/Bank/Plain/In.qzr");
    touch (root + "/Bank/Kept/Mine.qzr");
    touch (root + "/Top/Deep.qzr");
    fs::create_directory_symlink (root + "/Bank/Kept", root + "/Via");

    auto swapForLink = [] (const std::string& folder, const std::string& target)
    {
        fs::remove_all (folder);
        fs::create_directory_symlink (target, folder);
    };

    const BrioPresetTree tree (juce::String (root), BrioPresetTree::defaultLimits, [&] (const juce::String& listed)
    {
        if (listed == juce::String (root))
            swapForLink (root + "/Top", outside);

        if (listed == juce::String (root + "/Bank"))
            swapForLink (root + "/Bank/Plain", outside + "/deeper");
    });

    EXPECT_EQ (describe (tree), "[Bank] [Kept] Mine.qzr [/] [/]");
    EXPECT_EQ (tree.numFolders, 2);
    EXPECT_FALSE (tree.stamp.isCurrentFor (juce::String (root)));
}

TEST_F (PresetTreeTest, StampTellsWhetherTheTreeChanged)
{
    touch (root + "/A.qzr");
    touch (root + "/Sub/B.qzr");
    fs::create_directory_symlink ("/usr", root + "/Outside");

    auto walk = [this] { return BrioPresetTree (juce::String (root)).stamp; };
    auto stamp = walk();
    EXPECT_TRUE (stamp.isCurrentFor (juce::String (root)));

    // Rewriting a preset changes no folder; what lies outside the tree is never read.
    touch (root + "/A.qzr");
    EXPECT_TRUE (stamp.isCurrentFor (juce::String (root)));

    touch (root + "/Sub/C.qzr");
    EXPECT_FALSE (stamp.isCurrentFor (juce::String (root)));

    stamp = walk();
    fs::remove (root + "/Sub/B.qzr");
    EXPECT_FALSE (stamp.isCurrentFor (juce::String (root)));

    stamp = walk();
    fs::rename (root + "/Sub", root + "/Other");
    EXPECT_FALSE (stamp.isCurrentFor (juce::String (root)));

    stamp = walk();
    const auto moved = rawPath (tmp) + "/moved";
    fs::rename (root, moved);
    fs::create_directory_symlink (moved + "/Other", root);
    EXPECT_FALSE (stamp.isCurrentFor (juce::String (root)));
}

TEST_F (PresetTreeTest, MigrationAndFolderLinksLeaveHostileNamesAlone)
{
    // The shared folder is a link to a target whose name JUCE can't hold: the store
    // keeps the link's own path.
    const auto target = rawPath (tmp) + "/" + hostileNames()[0];
    fs::create_directories (target);
    const auto base = rawPath (shared()) + "/Larkspan";
    fs::create_directory_symlink (target, base);

    BrioSettings settings;
    EXPECT_EQ (settings.getBaseFolder(), juce::String (base));
    fs::remove (base);

    const auto legacy = rawPath (juce::File (settings.getLegacyPresetsFolder()));
    touch (legacy + "/Old.qzr");
    touch (legacy + "/Bank/Older.qzr");

    for (const auto& name : hostileNames())
    {
        touch (legacy + "/" + name + ".qzr");
        touch (legacy + "/" + name + "/In.qzr");
    }

    fs::create_directory_symlink (legacy, legacy + "/Bank/Up");
    settings.migratePresetsOnce();

    const auto presets = juce::String (settings.getPresetsFolder());
    const BrioPresetTree tree { presets };
    EXPECT_EQ (describe (tree), "[Imported] [Bank] Older.qzr [/] Old.qzr [/]");
    EXPECT_EQ (tree.numUnreadableNames, 0);
}
