#include "OverlayTestHelpers.h"
#include "PrivateFolders.h"

#include <ComboboxSubmenu.h>

#include <filesystem>
#include <fstream>

using namespace OverlayTests;
using LarkspanBrio::ComboboxSubmenu;

namespace
{
    /** Counts the browser's change messages. */
    struct ChangeCounter  : public juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster*) override    { ++count; }
        int count = 0;
    };

    /** A presets folder tree made by the test, in the private /opt. */
    class PresetBrowserTest  : public PrivateFoldersTest
    {
    protected:
        void SetUp() override
        {
            PrivateFoldersTest::SetUp();
            root = juce::File (BrioSettings().getPresetsFolder());
            browser.addChangeListener (&changes);
        }

        void TearDown() override
        {
            closeMessageBoxes();
        }

        juce::File preset (const juce::String& relativePath) const
        {
            const auto file = root.getChildFile (relativePath);
            file.getParentDirectory().createDirectory();
            file.replaceWithText ("<TanglefixSETTINGS/>");
            return file;
        }

        /** The menu as lines: "name=id", submenus as "[title]" before their items and
            "[/]" after them, the separator as "--". */
        static void describe (const juce::PopupMenu& menu, juce::StringArray& lines)
        {
            for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
            {
                const auto& item = it.getItem();

                if (item.isSeparator)
                    lines.add ("--");
                else if (item.subMenu != nullptr)
                {
                    lines.add ("[" + item.text + "]");
                    describe (*item.subMenu, lines);
                    lines.add ("[/]");
                }
                else
                    lines.add (item.text + "=" + juce::String (item.itemID) + (item.isTicked ? " ticked" : ""));
            }
        }

        juce::String menuText() const
        {
            juce::StringArray lines;
            describe (browser.getMenu(), lines);
            return lines.joinIntoString (" ");
        }

        EditorLookAndFeel lookAndFeel;
        juce::File root;
        ComboboxSubmenu browser;
        ChangeCounter changes;
    };
}

TEST_F (PresetBrowserTest, NumbersPresetsInReadingOrderFoldersFirst)
{
    preset ("Pad 10.qzr");
    preset ("pad 2.qzr");
    preset ("Bass.qzr");
    preset ("Warm.Keys.Soft.qzr");
    preset ("Leads/A.qzr");
    preset ("Leads/Mono/B.qzr");
    preset ("Old.Set/C.qzr");
    root.getChildFile ("Empty").createDirectory();
    root.getChildFile ("notes.txt").replaceWithText ("");

    browser.rebuildMenu (false);

    EXPECT_EQ (menuText(), "[Empty] [/] [Leads] [Mono] B=1 [/] A=2 [/] [Old.Set] C=3 [/] "
                           "Bass=4 pad 2=5 Pad 10=6 Warm.Keys.Soft=7 -- Open presets folder=99999");
    EXPECT_EQ (browser.getNextItemId(), 8);
    EXPECT_EQ (browser.getPresetPaths()[0], root.getChildFile ("Leads/Mono/B.qzr").getFullPathName());
}

TEST_F (PresetBrowserTest, InitMeansTheInitPresetNotTheFirstItem)
{
    preset ("Leads/A.qzr");
    const auto init = preset ("Init.qzr");
    browser.rebuildMenu (false);

    browser.setPresetName ("Init", false, false);
    EXPECT_EQ (browser.getLabelText(), "Init");
    EXPECT_EQ (browser.getCurrentPresetPath(), init.getFullPathName());
    EXPECT_EQ (menuText(), "[Leads] A=1 [/] Init=2 ticked -- Open presets folder=99999");

    // Without the file, "Init" is no item at all.
    init.deleteFile();
    browser.setPresetName ("Init", false, true);
    EXPECT_EQ (browser.getCurrentItemId(), 0);
    EXPECT_EQ (browser.getCurrentPresetPath(), "");
}

TEST_F (PresetBrowserTest, StepsWrapAroundAndEachStepAnnouncesTheNewPreset)
{
    preset ("A.qzr");
    preset ("B.qzr");
    const auto c = preset ("C.qzr");
    browser.rebuildMenu (false);
    browser.setPresetName (c.getFullPathName(), false, false);
    ASSERT_EQ (browser.getCurrentItemId(), 3);

    browser.selectNext();
    EXPECT_EQ (browser.getCurrentItemId(), 1);
    EXPECT_EQ (browser.getLabelText(), "A");
    browser.selectPrevious();
    EXPECT_EQ (browser.getCurrentPresetPath(), c.getFullPathName());
    browser.selectPrevious();
    EXPECT_EQ (browser.getLabelText(), "B");
    EXPECT_TRUE (runUntil ([this] { return changes.count > 0; }));

    // While a deferred rebuild is pending there is no current item; next starts over.
    browser.rebuildMenu (true);
    EXPECT_EQ (browser.getCurrentPresetPath(), "");
    browser.selectNext();
    EXPECT_EQ (browser.getLabelText(), "A");

    // A file outside the tree is shown but is no item.
    const auto outside = tmp.getChildFile ("Elsewhere.qzr");
    outside.replaceWithText ("");
    browser.setPresetName (outside.getFullPathName(), false, false);
    EXPECT_EQ (browser.getLabelText(), "Elsewhere");
    EXPECT_EQ (browser.getCurrentItemId(), 0);
}

TEST_F (PresetBrowserTest, EmptyFolderOffersOnlyTheFolderItself)
{
    const StubOpener opener (tmp);
    browser.rebuildMenu (false);
    EXPECT_EQ (menuText(), "Open presets folder=99999");

    browser.selectNext();
    EXPECT_EQ (browser.getCurrentPresetPath(), "");
    EXPECT_EQ (browser.getLabelText(), "");

    // Revealing the folder changes nothing and announces nothing.
    deliverPendingMessages();
    changes.count = 0;
    browser.setPresetName ("Shown", true, false);
    ComboboxSubmenu::menuCallback (ComboboxSubmenu::openFolderItemId, &browser);
    ComboboxSubmenu::menuCallback (0, &browser);
    EXPECT_EQ (opener.waitForArguments(), juce::StringArray (root.getFullPathName()));
    EXPECT_EQ (browser.getLabelText(), "Shown");
    deliverPendingMessages();
    EXPECT_EQ (changes.count, 0);
}

TEST_F (PresetBrowserTest, OnlyAFolderIsRevealed)
{
    // Someone else made the presets folder a link to a desktop entry.
    const StubOpener opener (tmp);
    const auto entry = tmp.getChildFile ("run.desktop");
    entry.replaceWithText ("[Desktop Entry]\nType=Application\nExec=touch ran\n");
    ASSERT_TRUE (root.deleteRecursively());
    ASSERT_TRUE (entry.createSymbolicLink (root, true));

    ComboboxSubmenu::menuCallback (ComboboxSubmenu::openFolderItemId, &browser);
    deliverPendingMessages();
    EXPECT_FALSE (opener.wasRun());
    EXPECT_EQ (countMessageBoxes ("Cannot open"), 1);
}

TEST_F (PresetBrowserTest, LinksNeitherLoopNorLeaveTheTree)
{
    preset ("Leads/A.qzr");
    preset ("Pads/P.qzr");
    const auto leads = root.getChildFile ("Leads");
    // JUCE's createSymbolicLink is called on the file the link leads to.
    ASSERT_TRUE (root.createSymbolicLink (leads.getChildFile ("Up"), true));
    ASSERT_TRUE (leads.createSymbolicLink (leads.getChildFile ("Self"), true));
    ASSERT_TRUE (juce::File ("/usr").createSymbolicLink (root.getChildFile ("System"), true));
    ASSERT_TRUE (juce::File ("/").createSymbolicLink (root.getChildFile ("Top"), true));
    ASSERT_TRUE (root.getChildFile ("Pads").createSymbolicLink (root.getChildFile ("Favourites"), true));

    browser.rebuildMenu (false);

    // "Favourites" stands for Pads, which is listed once, under the name of the folder
    // the link leads to.
    EXPECT_EQ (menuText(), "[Leads] A=1 [/] [Pads] P=2 [/] -- Open presets folder=99999");
}

TEST_F (PresetBrowserTest, TrashFoldersAreLeftOutUncounted)
{
    // Presets deleted on a mount inside the tree lie in that mount's trash: they are gone
    // for the user, whatever lies there, and nothing there counts as left out.
    preset ("Mnt/Kept.qzr");
    preset ("Mnt/.Trash-0/files/Del1.qzr");
    preset ("Mnt/.Trash/1000/files/Del2.qzr");
    preset (".Trash-1000/files/Del3.qzr");
    preset (".Trash-x/Kept2.qzr");
    preset (".Hidden/Kept3.qzr");
    std::ofstream (root.getFullPathName().toStdString() + "/.Trash-1000/files/Caf\xe9.qzr") << "<TanglefixSETTINGS/>";
    ASSERT_TRUE (root.getChildFile ("Mnt/.Trash-0/files").createSymbolicLink (root.getChildFile ("Bin"), true));

    browser.rebuildMenu (false);
    EXPECT_EQ (menuText(), "[.Hidden] Kept3=1 [/] [.Trash-x] Kept2=2 [/] [Mnt] Kept=3 [/] -- Open presets folder=99999");
}

TEST_F (PresetBrowserTest, NamesThatDifferOnlyInCaseKeepTheirIds)
{
    const juce::StringArray names { "pad", "Pad", "PAD", "pAd" };

    // Without a fixed order between them, their places, and so their ids, would depend
    // on the order in which the folder happens to list them.
    const auto compare = [] (const juce::String& a, const juce::String& b)
    {
        return ComboboxSubmenu::compareFileNames (juce::File ("/p/" + a + ".qzr"), juce::File ("/p/" + b + ".qzr"));
    };

    for (const auto& a : names)
        for (const auto& b : names)
        {
            if (a != b)
            {
                EXPECT_TRUE ((compare (a, b) < 0 && compare (b, a) > 0) || (compare (a, b) > 0 && compare (b, a) < 0))
                    << a << " " << b;
            }
        }

    for (const auto& name : names)
        preset (name + ".qzr");

    browser.rebuildMenu (false);
    const auto firstOrder = browser.getPresetPaths();
    ASSERT_EQ (firstOrder.size(), 4);

    for (int i = 0; i < 20; ++i)
    {
        browser.rebuildMenu (false);
        ASSERT_EQ (browser.getPresetPaths(), firstOrder);
    }

    for (int id = 1; id <= 4; ++id)
    {
        browser.selectItem (id);
        EXPECT_EQ (browser.getCurrentItemId(), id);
        EXPECT_EQ (browser.getCurrentPresetPath(), firstOrder[id - 1]);
    }
}

TEST_F (PresetBrowserTest, AVanishedPresetLoadsNothingAndTheUserIsTold)
{
    const auto a = preset ("A.qzr");
    const auto b = preset ("B.qzr");
    preset ("C.qzr");
    browser.rebuildMenu (false);
    browser.setPresetName (a.getFullPathName(), false, false);
    deliverPendingMessages();
    changes.count = 0;

    b.deleteFile();
    browser.selectNext();

    EXPECT_EQ (browser.getLabelText(), "A");
    EXPECT_EQ (browser.getCurrentPresetPath(), a.getFullPathName());
    EXPECT_EQ (menuText(), "A=1 ticked C=2 -- Open presets folder=99999");
    EXPECT_EQ (countMessageBoxes ("Preset not found"), 1);
    deliverPendingMessages();
    EXPECT_EQ (changes.count, 0);
}

TEST_F (PresetBrowserTest, PresetsBeyondTheLimitAreLeftOutAndTheMenuSaysSo)
{
    // The limit also keeps every preset below 99999, the id of "Open presets folder".
    const auto limit = BrioPresetTree::defaultLimits.maxPresets;

    for (int i = 0; i < limit + 1; ++i)
        root.getChildFile ("p" + juce::String (i) + ".qzr").create();

    browser.rebuildMenu (false);
    EXPECT_EQ (browser.getPresetPaths().size(), limit);
    EXPECT_EQ (browser.getNextItemId(), limit + 1);

    juce::StringArray notes;

    for (juce::PopupMenu::MenuItemIterator it (browser.getMenu()); it.next();)
        if (it.getItem().itemID > limit)
            notes.add (it.getItem().text + (it.getItem().isEnabled ? " enabled" : ""));

    EXPECT_EQ (notes, juce::StringArray ({ "More presets not shown: the folder holds too many", "Open presets folder enabled" }));
}

TEST_F (PresetBrowserTest, AChoiceAtTheLimitLoadsWhatTheMenuShowedAfterTheFolderChanged)
{
    const auto limit = BrioPresetTree::defaultLimits.maxPresets;

    for (int i = 0; i < limit + 1; ++i)
        root.getChildFile ("p" + juce::String (i) + ".qzr").create();

    browser.rebuildMenu (false);
    const auto shown = browser.getPresetPathList();
    const auto last = root.getChildFile ("p" + juce::String (limit - 1) + ".qzr").getFullPathName();
    ASSERT_EQ (shown->strings.getLast(), last);

    // A preset added before it in the open menu's folder pushes it out of the new list.
    preset ("a.qzr");
    ComboboxSubmenu::menuCallback (limit, &browser, shown);

    EXPECT_EQ (browser.getLabelText(), "p" + juce::String (limit - 1));
    EXPECT_EQ (browser.getCurrentPresetPath(), last);
    EXPECT_FALSE (browser.getPresetPaths().contains (last));
    EXPECT_TRUE (runUntil ([this] { return changes.count == 1; }));

    // Gone by then: the user is told and nothing is loaded.
    ASSERT_TRUE (juce::File (shown->strings[limit - 2]).deleteFile());
    ComboboxSubmenu::menuCallback (limit - 1, &browser, shown);
    EXPECT_EQ (countMessageBoxes ("Preset not found"), 1);
    EXPECT_EQ (browser.getCurrentPresetPath(), last);
    deliverPendingMessages();
    EXPECT_EQ (changes.count, 1);
}

TEST_F (PresetBrowserTest, APresetsFolderWhosePathIsNotUtf8IsNamedInTheMenu)
{
    // The shared folder is a link to a folder whose name JUCE can't hold: the store hands
    // out the link, and the walk can't follow it to a path it can name.
    namespace fs = std::filesystem;
    const auto target = tmp.getFullPathName().toStdString() + "/x\xc1\x81\xc1\x81";
    fs::create_directories (target + "/Presets/Tanglefix");
    std::ofstream (target + "/Presets/Tanglefix/In.qzr") << "<TanglefixSETTINGS/>";
    const auto base = shared().getFullPathName().toStdString() + "/Larkspan";
    fs::remove_all (base);
    fs::create_directory_symlink (target, base);

    browser.rebuildMenu (false);
    EXPECT_EQ (menuText(), "Presets not shown: the presets folder's real path is not UTF-8=99996 -- Open presets folder=99999");
}

TEST_F (PresetBrowserTest, NamesThatAreNotUtf8AreLeftOutAndCounted)
{
    namespace fs = std::filesystem;
    const auto base = root.getFullPathName().toStdString() + "/";
    std::string overlong ("x");

    for (int i = 0; i < 40; ++i)
        overlong += "\xc1\x81";

    // Made through std::filesystem: JUCE's strings can't hold these names.
    for (const auto& name : { overlong, std::string ("Caf\xe9"), std::string ("lone\x80"), std::string ("sur\xed\xa0\x80") })
    {
        std::ofstream (base + name + ".qzr") << "<TanglefixSETTINGS/>";
        fs::create_directories (base + name);
        std::ofstream (base + name + "/In.qzr") << "<TanglefixSETTINGS/>";
    }

    fs::create_directory_symlink (base + overlong, base + "Linked");
    preset ("Good.qzr");

    browser.rebuildMenu (false);
    EXPECT_EQ (menuText(), "Good=1 -- 9 presets and folders not shown: name is not UTF-8=99998 -- Open presets folder=99999");

    browser.selectNext();
    EXPECT_EQ (browser.getLabelText(), "Good");
}

TEST_F (PresetBrowserTest, TheTreeIsReadAgainOnlyWhenItChanged)
{
    const auto a = preset ("A.qzr");
    preset ("Sub/B.qzr");

    // As the window opens: a rebuild, then the current preset.
    browser.rebuildMenu (false);
    browser.setPresetName (a.getFullPathName(), false, false);
    EXPECT_EQ (browser.getNumWalks(), 1);

    browser.selectNext();
    browser.selectPrevious();
    ComboboxSubmenu::menuCallback (1, &browser);
    EXPECT_EQ (browser.getNumWalks(), 1);
    EXPECT_EQ (browser.getLabelText(), "B");

    // The step goes by the list the user saw; the new preset is in the menu after it.
    preset ("Sub/C.qzr");
    browser.selectNext();
    EXPECT_EQ (browser.getNumWalks(), 2);
    EXPECT_EQ (browser.getLabelText(), "A");
    EXPECT_EQ (menuText(), "[Sub] B=1 C=2 [/] A=3 ticked -- Open presets folder=99999");
}

TEST_F (PresetBrowserTest, AChoiceInAnOutdatedMenuLoadsWhatThatMenuShowed)
{
    const auto a = preset ("A.qzr");
    const auto b = preset ("B.qzr");
    const auto c = preset ("C.qzr");
    preset ("D.qzr");
    browser.rebuildMenu (false);
    browser.setPresetName (a.getFullPathName(), false, false);
    const auto shown = browser.getPresetPathList();
    deliverPendingMessages();
    changes.count = 0;

    // B is deleted while the menu is open; the deferred rebuild gives C the id 2.
    ASSERT_TRUE (b.deleteFile());
    browser.rebuildMenu (true);
    EXPECT_TRUE (runUntil ([this] { return browser.getNextItemId() == 4; }));

    ComboboxSubmenu::menuCallback (2, &browser, shown);
    EXPECT_EQ (countMessageBoxes ("Preset not found"), 1);
    EXPECT_EQ (browser.getLabelText(), "A");
    deliverPendingMessages();
    EXPECT_EQ (changes.count, 0);

    ComboboxSubmenu::menuCallback (3, &browser, shown);
    EXPECT_EQ (browser.getCurrentPresetPath(), c.getFullPathName());
    EXPECT_EQ (browser.getLabelText(), "C");
    EXPECT_TRUE (runUntil ([this] { return changes.count == 1; }));

    // A path handed in from the list that the call itself rebuilds.
    preset ("E.qzr");
    browser.setPresetName (browser.getPresetPaths()[0], false, true);
    EXPECT_EQ (browser.getLabelText(), "A");
    EXPECT_EQ (browser.getCurrentItemId(), 1);
}

TEST_F (PresetBrowserTest, AMenuThatOutlivesItsBrowserDoesNothing)
{
    const StubOpener opener (tmp);
    preset ("A.qzr");
    auto doomed = std::make_unique<ComboboxSubmenu>();
    doomed->setBounds (0, 0, 202, 25);
    doomed->rebuildMenu (false);
    doomed->mouseDown (clickAt (*doomed, { 5, 5 }));
    const juce::Component::SafePointer<juce::Component> menu (juce::Component::getCurrentlyModalComponent());
    ASSERT_NE (menu, nullptr);

    // A choice is delivered on the message loop: here the browser is gone by then. The
    // menu window is deleted once the choice has been delivered.
    menu->exitModalState (ComboboxSubmenu::openFolderItemId);
    doomed.reset();
    EXPECT_TRUE (runUntil ([&] { return menu == nullptr; }));
    deliverPendingMessages();
    EXPECT_FALSE (opener.wasRun());
}
