#include "EditorFixture.h"

#include <BrioTrash.h>

#include "ScopedVariable.h"
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>

using OverlayTests::runUntil;

namespace
{
    /** Presses the button with that text on the message box the commands show. */
    void answer (TanglefixPresetCommands& commands, const juce::String& buttonText)
    {
        auto* box = commands.getOpenBox();
        ASSERT_NE (box, nullptr);

        for (auto* child : box->getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getButtonText() == buttonText)
                button->triggerClick();

        // The answer may open the next box (a failure to report).
        ASSERT_TRUE (runUntil ([&] { return commands.getOpenBox() != box; }));
    }

    class PresetCommandTest  : public EditorTest
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();
            presets = presetsFolder();
            first = writePreset ("User/First.qzr", 0.2f);
            second = writePreset ("User/Second.qzr", 0.7f);
            openEditor();

            // On the presets' own mount (the private /opt), where a rename reaches it.
            commands().trashFolder = homeTrash();
        }

        juce::File writePreset (const juce::String& relativePath, float gain)
        {
            processor->gainParam->setValueNotifyingHost (gain);
            const auto file = presets.getChildFile (relativePath);
            EXPECT_TRUE (processor->savePresetFile (file).wasOk());
            return file;
        }

        TanglefixPresetCommands& commands()    { return window().presetCommands; }

        /** Saves, answering the chooser with the file (or cancelling with a null File). */
        juce::File saveAnswering (const juce::File& chosen)
        {
            juce::File proposal;
            commands().saveChooser = [&] (const juce::File& proposed, std::function<void (const juce::File&)> reply)
            {
                proposal = proposed;
                reply (chosen);
            };
            window().buttonClicked (&window().saveButton);
            return proposal;
        }

        void selectPreset (const juce::File& file)
        {
            window().presetBrowser.setPresetName (file.getFullPathName(), false, true);
        }

        static juce::File homeTrash()          { return shared().getChildFile ("Trash"); }

        juce::File presets, first, second;
    };

    /** A file system of its own, mounted on a folder for as long as it lives. */
    struct ScratchMount
    {
        explicit ScratchMount (const juce::File& folder) : path (folder.getFullPathName().toStdString())
        {
            folder.createDirectory();
            mounted = ::mount ("tanglefix-test", path.c_str(), "tmpfs", 0, "size=1m") == 0;
        }

        ~ScratchMount()
        {
            if (mounted)
                ::umount2 (path.c_str(), MNT_DETACH);
        }

        const std::string path;
        bool mounted = false;
    };
}

//==============================================================================
TEST_F (PresetCommandTest, SaveProposesTheUserFolderForFactoryAndMissingPresets)
{
    const auto user = presets.getFullPathName() + "/User/";
    EXPECT_EQ (TanglefixPresetCommands::proposeSaveFile (first.getFullPathName(), presets.getFullPathName()), first);
    EXPECT_EQ (TanglefixPresetCommands::proposeSaveFile ("/x/FACTORY/Warm.qzr", presets.getFullPathName()),
               juce::File (user + "Warm.qzr"));
    EXPECT_EQ (TanglefixPresetCommands::proposeSaveFile ("/nowhere/Gone.qzr", presets.getFullPathName()),
               juce::File (user + "Gone.qzr"));

    selectPreset (second);
    EXPECT_EQ (saveAnswering ({}), second);
}

TEST_F (PresetCommandTest, SavingANameWithoutExtensionAddsItAndShowsThePreset)
{
    processor->gainParam->setValueNotifyingHost (0.4f);
    saveAnswering (presets.getChildFile ("User/My.Preset"));

    const auto saved = presets.getChildFile ("User/My.Preset.qzr");
    EXPECT_TRUE (saved.existsAsFile());
    EXPECT_EQ (processor->getCurrentPresetName(), saved.getFullPathName());
    EXPECT_EQ (window().presetBrowser.getCurrentPresetPath(), saved.getFullPathName());
    EXPECT_TRUE (window().presetBrowser.getPresetPaths().contains (saved.getFullPathName()));
    EXPECT_FALSE (commands().isDialogOpen());
}

TEST_F (PresetCommandTest, AnAddedExtensionThatHitsAFileAsksBeforeReplacing)
{
    const auto before = first.loadFileAsString();
    processor->gainParam->setValueNotifyingHost (0.9f);

    saveAnswering (presets.getChildFile ("User/First"));
    ASSERT_NE (commands().getOpenBox(), nullptr);
    EXPECT_EQ (commands().getOpenBox()->getName(), "Replace Preset");

    window().buttonClicked (&window().saveButton);
    EXPECT_EQ (OverlayTests::countMessageBoxes ("Replace Preset"), 1) << "one dialog at a time";

    answer (commands(), "Cancel");
    EXPECT_EQ (first.loadFileAsString(), before);

    saveAnswering (presets.getChildFile ("User/First"));
    answer (commands(), "Replace");
    EXPECT_NE (first.loadFileAsString(), before);
    EXPECT_EQ (processor->getCurrentPresetName(), first.getFullPathName());
}

TEST_F (PresetCommandTest, AFailedSaveIsShownAndChangesNothing)
{
    const auto name = processor->getCurrentPresetName();
    tmp.getChildFile ("plain").replaceWithText ("a file, not a folder");

    saveAnswering (tmp.getChildFile ("plain/Inside.qzr"));
    ASSERT_NE (commands().getOpenBox(), nullptr);
    EXPECT_EQ (commands().getOpenBox()->getName(), "Preset Not Saved");
    EXPECT_EQ (processor->getCurrentPresetName(), name);
    answer (commands(), "OK");

    saveAnswering ({});
    EXPECT_EQ (commands().getOpenBox(), nullptr) << "cancelled quietly";
}

//==============================================================================
TEST_F (PresetCommandTest, ARefusedPresetIsToldAndTheLoadedOneStays)
{
    auto& browser = window().presetBrowser;
    selectPreset (first);
    window().changeListenerCallback (&browser);
    ASSERT_EQ (processor->getCurrentPresetName(), first.getFullPathName());
    const auto gain = processor->gainParam->getValue();

    presets.getChildFile ("User/Malformed.qzr").replaceWithText ("Gain=0.9");
    presets.getChildFile ("User/Other.qzr").replaceWithText ("<OtherRoot Gain=\"0.9\"/>");
    presets.getChildFile ("User/Huge.qzr").replaceWithText (juce::String::repeatedString (" ", 2 * 1024 * 1024));

    for (const auto* name : { "Huge", "Malformed", "Other" })
    {
        const auto refused = presets.getChildFile ("User/" + juce::String (name) + ".qzr").getFullPathName();
        browser.rebuildMenu (false);
        ASSERT_TRUE (browser.getPresetPaths().contains (refused)) << browser.getPresetPaths().joinIntoString (" ");
        LarkspanBrio::ComboboxSubmenu::menuCallback (browser.getPresetPaths().indexOf (refused) + 1, &browser);

        ASSERT_TRUE (runUntil ([&] { return commands().getOpenBox() != nullptr; })) << name;
        EXPECT_EQ (commands().getOpenBox()->getName(), "Preset Not Loaded");
        EXPECT_EQ (processor->getCurrentPresetName(), first.getFullPathName());
        EXPECT_EQ (processor->gainParam->getValue(), gain);
        EXPECT_EQ (browser.getLabelText(), "First");
        EXPECT_EQ (browser.getCurrentPresetPath(), first.getFullPathName());
        answer (commands(), "OK");

        // Save proposes the preset that is loaded, not the refused file.
        EXPECT_EQ (saveAnswering ({}), first);
    }
}

TEST_F (PresetCommandTest, AChosenPresetLoadsOnlyWhereTheWalkLeads)
{
    auto& browser = window().presetBrowser;
    processor->gainParam->setValueNotifyingHost (0.95f);
    const auto outside = tmp.getChildFile ("Outside");
    ASSERT_TRUE (processor->savePresetFile (outside.getChildFile ("Second.qzr")).wasOk());

    browser.rebuildMenu (false);
    const auto shown = browser.getPresetPathList();
    LarkspanBrio::ComboboxSubmenu::menuCallback (shown->indexOf (first.getFullPathName()) + 1, &browser, shown);
    ASSERT_TRUE (runUntil ([&] { return processor->getCurrentPresetName() == first.getFullPathName(); }));
    const auto gain = processor->gainParam->getValue();

    // Once the menu is built, the folder is swapped for a link out of the tree.
    const auto moved = presets.getChildFile ("Moved");
    ASSERT_TRUE (presets.getChildFile ("User").moveFileTo (moved));
    ASSERT_TRUE (outside.createSymbolicLink (presets.getChildFile ("User"), true));
    LarkspanBrio::ComboboxSubmenu::menuCallback (shown->indexOf (second.getFullPathName()) + 1, &browser, shown);

    ASSERT_TRUE (runUntil ([&] { return commands().getOpenBox() != nullptr
                                         || processor->getCurrentPresetName() != first.getFullPathName(); }));
    EXPECT_EQ (processor->getCurrentPresetName(), first.getFullPathName());
    ASSERT_NE (commands().getOpenBox(), nullptr);
    EXPECT_EQ (commands().getOpenBox()->getName(), "Preset Not Loaded");
    EXPECT_EQ (processor->gainParam->getValue(), gain);
    EXPECT_EQ (browser.getLabelText(), "First");
    answer (commands(), "OK");

    // A link that the walk follows, into the tree, leads a load there too; the way out
    // of the tree and into a trash does not.
    ASSERT_TRUE (moved.createSymbolicLink (presets.getChildFile ("Favourites"), true));
    presets.getChildFile (".Trash-0/files/Second.qzr").getParentDirectory().createDirectory();
    moved.getChildFile ("Second.qzr").copyFileTo (presets.getChildFile (".Trash-0/files/Second.qzr"));
    const auto up = juce::String::repeatedString ("/..", presets.getFullPathName().retainCharacters ("/").length());
    const struct { juce::String path; bool loads; } cases[] = {
        { moved.getFullPathName() + "/Second.qzr",                     true },
        { presets.getFullPathName() + "/Favourites/Second.qzr",        true },
        { presets.getFullPathName() + "/User/Second.qzr",              false },
        { presets.getFullPathName() + up + outside.getFullPathName() + "/Second.qzr", false },
        { presets.getFullPathName() + "/.Trash-0/files/Second.qzr",    false },
    };

    for (const auto& c : cases)
    {
        processor->setCurrentPresetName ("Before");
        processor->gainParam->setValueNotifyingHost (0.5f);
        EXPECT_EQ (processor->loadPresetFile (c.path).wasOk(), c.loads) << c.path;
        EXPECT_EQ (processor->getCurrentPresetName(), c.loads ? c.path : "Before") << c.path;
        EXPECT_EQ (processor->gainParam->getValue() == 0.5f, ! c.loads) << c.path;
    }
}

//==============================================================================
TEST_F (PresetCommandTest, ADeletedPresetIsCurrentNoMore)
{
    auto& browser = window().presetBrowser;
    selectPreset (first);
    window().changeListenerCallback (&browser);
    ASSERT_EQ (processor->getCurrentPresetName(), first.getFullPathName());
    const auto gain = processor->gainParam->getValue();

    window().buttonClicked (&window().deleteButton);
    answer (commands(), "OK");
    ASSERT_FALSE (first.existsAsFile());

    // The settings stay, under no name, as after a host state that names no preset; a
    // refused load afterwards brings the deleted name back nowhere.
    for (int round = 0; round < 2; ++round)
    {
        tick();
        EXPECT_EQ (processor->getCurrentPresetName(), "");
        EXPECT_EQ (browser.getLabelText(), "");
        EXPECT_EQ (processor->gainParam->getValue(), gain);

        const auto refused = presets.getChildFile ("User/Malformed.qzr");
        refused.replaceWithText ("Gain=0.9");
        selectPreset (refused);
        window().changeListenerCallback (&browser);
        answer (commands(), "OK");
    }
}

//==============================================================================
TEST_F (PresetCommandTest, DeleteTrashesTheFileItAskedAbout)
{
    selectPreset (first);
    window().buttonClicked (&window().deleteButton);
    ASSERT_NE (commands().getOpenBox(), nullptr);
    EXPECT_EQ (commands().getOpenBox()->getName(), "Delete Preset");

    answer (commands(), "Cancel");
    EXPECT_TRUE (first.existsAsFile());

    window().buttonClicked (&window().deleteButton);
    window().presetBrowser.selectNext();    // the host or the user moves on meanwhile
    answer (commands(), "OK");

    EXPECT_FALSE (first.existsAsFile());
    EXPECT_TRUE (second.existsAsFile());
    const auto trash = homeTrash();
    EXPECT_TRUE (trash.getChildFile ("files/First.qzr").existsAsFile());
    EXPECT_TRUE (trash.getChildFile ("info/First.qzr.trashinfo").loadFileAsString()
                     .contains ("Path=" + BrioTrash::encodePath (first.getFullPathName())));
}

TEST_F (PresetCommandTest, ClosingTheEditorWithAQuestionOpenDeletesNothing)
{
    selectPreset (first);
    window().buttonClicked (&window().deleteButton);
    ASSERT_EQ (OverlayTests::countMessageBoxes ("Delete Preset"), 1);

    closeEditor();
    ASSERT_TRUE (runUntil ([] { return OverlayTests::countMessageBoxes ("Delete Preset") == 0; }));
    EXPECT_TRUE (first.existsAsFile());
}

TEST_F (PresetCommandTest, DeletingWithoutAPresetFileOrTrashSaysSo)
{
    selectPreset (first);
    first.deleteFile();
    window().buttonClicked (&window().deleteButton);
    ASSERT_NE (commands().getOpenBox(), nullptr);
    EXPECT_EQ (commands().getOpenBox()->getName(), "Preset Not Deleted");
    answer (commands(), "OK");

    selectPreset (second);
    homeTrash().replaceWithText ("no folder");
    window().buttonClicked (&window().deleteButton);
    answer (commands(), "OK");
    ASSERT_NE (commands().getOpenBox(), nullptr);
    EXPECT_EQ (commands().getOpenBox()->getName(), "Preset Not Deleted");
    EXPECT_TRUE (second.existsAsFile());
}

TEST_F (PresetCommandTest, APresetNamedWithATildeIsListedSavedAndDeletedLikeAnyOther)
{
    // JUCE's getChildFile and getSiblingFile read a name that begins with '~' as a home
    // folder, or, with no such user, as relative to the working folder: Delete renamed
    // such a preset, and wrote its trash entry, into the host's working folder, with no
    // word; Save as "~Mine" failed.
    enum class Action { remove, removeBesideOneInTheTrash, saveAs };

    struct Case
    {
        const char* kind;
        Action action;
        const char* name;           // in User/
        const char* inTrash;        // the name it has there
    };

    const Case cases[] =
    {
        { "delete",                          Action::remove,                    "~Old.qzr", "~Old.qzr" },
        { "delete beside one in the trash",  Action::removeBesideOneInTheTrash, "~Old.qzr", "~Old.2.qzr" },
        { "save as",                         Action::saveAs,                    "~Mine",    nullptr }
    };

    const auto previous = juce::File::getCurrentWorkingDirectory();
    const auto working = tmp.getChildFile ("working");
    ASSERT_TRUE (working.createDirectory());
    working.setAsCurrentWorkingDirectory();
    const auto files = homeTrash().getChildFile ("files");
    const auto info = homeTrash().getChildFile ("info");

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.kind);
        homeTrash().deleteRecursively();
        const juce::File preset (presets.getFullPathName() + "/User/" + c.name);

        if (c.action == Action::saveAs)
        {
            processor->gainParam->setValueNotifyingHost (0.4f);
            saveAnswering (preset);
            const juce::File saved (preset.getFullPathName() + ".qzr");
            EXPECT_EQ (commands().getOpenBox(), nullptr);
            EXPECT_TRUE (saved.existsAsFile());
            EXPECT_EQ (processor->getCurrentPresetName(), saved.getFullPathName());
            EXPECT_TRUE (window().presetBrowser.getPresetPaths().contains (saved.getFullPathName()));
        }
        else
        {
            writePreset (juce::String ("User/") + c.name, 0.6f);
            window().presetBrowser.rebuildMenu (false);
            ASSERT_TRUE (window().presetBrowser.getPresetPaths().contains (preset.getFullPathName()));

            processor->gainParam->setValueNotifyingHost (0.1f);
            selectPreset (preset);
            window().changeListenerCallback (&window().presetBrowser);
            EXPECT_FLOAT_EQ (processor->gainParam->getValue(), 0.6f);

            if (c.action == Action::removeBesideOneInTheTrash)
            {
                ASSERT_TRUE (juce::File (files.getFullPathName() + "/" + c.name).create().wasOk());
                ASSERT_TRUE (juce::File (info.getFullPathName() + "/" + c.name + ".trashinfo").create().wasOk());
            }

            window().buttonClicked (&window().deleteButton);
            answer (commands(), "OK");
            EXPECT_EQ (commands().getOpenBox(), nullptr);
            EXPECT_FALSE (preset.exists());

            const juce::File trashed (files.getFullPathName() + "/" + c.inTrash);
            EXPECT_GT (trashed.getSize(), 0);
            EXPECT_TRUE (juce::File (info.getFullPathName() + "/" + c.inTrash + ".trashinfo").loadFileAsString()
                             .contains ("Path=" + BrioTrash::encodePath (preset.getFullPathName())));
        }

        EXPECT_EQ (working.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 0);
    }

    previous.setAsCurrentWorkingDirectory();
}

TEST_F (PresetCommandTest, DeleteTakesOnlyWhatTheWalkLeadsTo)
{
    // A host state may name any path below the presets folder. Delete takes a preset only
    // where a load would read it. Outside lies on the home trash's mount, so that a
    // wrong move would reach the trash rather than fail.
    const auto outside = shared().getChildFile ("Outside");
    const auto shelf = presets.getChildFile ("Shelf");
    const auto root = presets.getFullPathName();
    const auto up = juce::String::repeatedString ("/..", root.retainCharacters ("/").length());
    const auto files = homeTrash().getChildFile ("files");
    int numWritten = 0;

    auto write = [&] (const juce::File& file)
    {
        EXPECT_TRUE (file.getParentDirectory().createDirectory().wasOk());
        EXPECT_TRUE (file.replaceWithText ("<Tanglefix_SETTINGS Gain=\"0." + juce::String (++numWritten) + "\"/>"));
        return file;
    };

    const juce::File victims[] = { write (outside.getChildFile ("Up.qzr")), write (outside.getChildFile ("notes.txt")),
                                   write (outside.getChildFile ("Far.qzr")), write (outside.getChildFile ("Linked.qzr")) };
    juce::StringArray texts;

    for (const auto& victim : victims)
        texts.add (victim.loadFileAsString());

    ASSERT_TRUE (outside.createSymbolicLink (presets.getChildFile ("Ext"), true));
    ASSERT_TRUE (victims[3].createSymbolicLink (presets.getChildFile ("User/Linked.qzr"), true));
    ASSERT_TRUE (shelf.createSymbolicLink (presets.getChildFile ("Favourites"), true));

    // A listed link to a file is a preset of the tree: Delete takes the link, never what
    // it points to.
    const struct { const char* what; juce::String path; juce::File entry; bool deleted; } cases[] = {
        { "up and out",                       root + up + victims[0].getFullPathName(), victims[0],                              false },
        { "a linked folder out, no preset",   root + "/Ext/notes.txt",                  victims[1],                              false },
        { "a linked folder out, a preset",    root + "/Ext/Far.qzr",                    victims[2],                              false },
        { "no preset's name in the tree",     root + "/User/notes.txt",                 write (presets.getChildFile ("User/notes.txt")), false },
        { "a mount's trash in the tree",      root + "/.Trash-0/files/Old.qzr",         write (presets.getChildFile (".Trash-0/files/Old.qzr")), false },
        { "a listed link to a file outside",  root + "/User/Linked.qzr",                presets.getChildFile ("User/Linked.qzr"), true },
        { "listed in a subfolder",            first.getFullPathName(),                  first,                                   true },
        { "through a link the walk follows",  root + "/Favourites/Kept.qzr",            write (shelf.getChildFile ("Kept.qzr")), true },
    };

    for (const auto& c : cases)
    {
        const auto text = c.entry.loadFileAsString();
        const auto numTrashed = files.getNumberOfChildFiles (juce::File::findFilesAndDirectories);
        processor->setCurrentPresetName (c.path);
        tick();

        window().buttonClicked (&window().deleteButton);
        ASSERT_NE (commands().getOpenBox(), nullptr) << c.what;
        const auto asked = commands().getOpenBox()->getName();
        const auto message = commands().getOpenBox()->getDescription();
        answer (commands(), "OK");
        OverlayTests::closeMessageBoxes();

        if (c.deleted)
        {
            EXPECT_EQ (asked, "Delete Preset") << c.what;
            EXPECT_FALSE (c.entry.exists() || c.entry.isSymbolicLink()) << c.what;
            EXPECT_TRUE (files.getChildFile (c.entry.getFileName()).exists()) << c.what;
        }
        else
        {
            EXPECT_EQ (asked, "Preset Not Deleted") << c.what;
            EXPECT_TRUE (message.contains ("There is no preset file to delete.")) << c.what << ": " << message;
            EXPECT_EQ (c.entry.loadFileAsString(), text) << c.what;
            EXPECT_EQ (files.getNumberOfChildFiles (juce::File::findFilesAndDirectories), numTrashed) << c.what;
        }
    }

    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ (victims[i].loadFileAsString(), texts[i]) << victims[i].getFullPathName();
}

TEST_F (PresetCommandTest, AFolderSwappedWhileDeletingLeadsNowhereOutside)
{
    // The preset's folder is swapped for a link out of the tree while the question is
    // open, or just before the move: nothing outside is taken.
    const auto outside = shared().getChildFile ("Outside");
    const auto victim = outside.getChildFile ("First.qzr");
    const auto aside = presets.getChildFile ("Aside");
    const auto files = homeTrash().getChildFile ("files");
    ASSERT_TRUE (outside.createDirectory().wasOk());
    ASSERT_TRUE (victim.replaceWithText ("victim"));
    const auto text = first.loadFileAsString();

    auto swap = [&]
    {
        ASSERT_TRUE (presets.getChildFile ("User").moveFileTo (aside));
        ASSERT_TRUE (outside.createSymbolicLink (presets.getChildFile ("User"), true));
    };

    auto restore = [&]
    {
        ASSERT_TRUE (presets.getChildFile ("User").deleteFile());
        ASSERT_TRUE (aside.moveFileTo (presets.getChildFile ("User")));
    };

    selectPreset (first);
    window().buttonClicked (&window().deleteButton);
    swap();
    answer (commands(), "OK");
    const auto* box = commands().getOpenBox();
    EXPECT_TRUE (box != nullptr && box->getDescription() == "Preset Not Deleted. There is no preset file to delete.");
    OverlayTests::closeMessageBoxes();
    EXPECT_EQ (victim.loadFileAsString(), "victim");
    EXPECT_FALSE (files.exists() && files.getNumberOfChildFiles (juce::File::findFilesAndDirectories) > 0);
    restore();

    // The move takes the file from the folder that was checked, wherever its path leads.
    commands().beforeMove = [&] (const juce::File&) { swap(); };
    selectPreset (first);
    window().buttonClicked (&window().deleteButton);
    answer (commands(), "OK");
    EXPECT_EQ (commands().getOpenBox(), nullptr);
    EXPECT_EQ (victim.loadFileAsString(), "victim");
    EXPECT_FALSE (aside.getChildFile ("First.qzr").exists());
    EXPECT_EQ (files.getChildFile ("First.qzr").loadFileAsString(), text);
}

TEST_F (PresetCommandTest, APresetOnAnotherFileSystemIsNeverCopied)
{
    // Run as root in the tests' private mount namespace, the test mounts a file system
    // of its own inside the presets folder.
    const auto top = presets.getChildFile ("Mounted");
    const ScratchMount mount (top);

    if (! mount.mounted)
        GTEST_SKIP() << "no right to mount here";

    const auto uid = juce::String ((juce::int64) ::getuid());
    auto& browser = window().presetBrowser;

    auto deleteAnswering = [&] (const juce::File& file, const juce::String& buttonText)
    {
        file.replaceWithText ("<Tanglefix_SETTINGS/>");
        browser.rebuildMenu (false);
        selectPreset (file);
        window().buttonClicked (&window().deleteButton);
        answer (commands(), "OK");

        if (buttonText.isEmpty())
        {
            EXPECT_EQ (commands().getOpenBox(), nullptr);
            return;
        }

        ASSERT_NE (commands().getOpenBox(), nullptr);
        EXPECT_EQ (commands().getOpenBox()->getName(), "Delete Permanently");
        answer (commands(), buttonText);
    };

    // $topdir/.Trash-$uid, made by the user, with an entry relative to the top.
    const auto far = top.getChildFile ("Sub/Far.qzr");
    far.getParentDirectory().createDirectory();
    deleteAnswering (far, {});

    EXPECT_FALSE (far.exists());
    EXPECT_FALSE (homeTrash().getChildFile ("files/Far.qzr").exists());
    const auto ownTrash = top.getChildFile (".Trash-" + uid);
    EXPECT_TRUE (ownTrash.getChildFile ("files/Far.qzr").existsAsFile());
    EXPECT_TRUE (ownTrash.getChildFile ("info/Far.qzr.trashinfo").loadFileAsString().contains ("\nPath=Sub/Far.qzr\n"));

    struct stat info;
    ASSERT_EQ (::lstat (ownTrash.getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 0777, 0700u);

    // An administrator's $topdir/.Trash with the sticky bit comes first.
    const auto shared = top.getChildFile (".Trash");
    shared.createDirectory();
    ::chmod (shared.getFullPathName().toRawUTF8(), 01777);
    deleteAnswering (top.getChildFile ("Near.qzr"), {});
    EXPECT_TRUE (shared.getChildFile (uid + "/files/Near.qzr").existsAsFile());

    // Deleted is gone: neither trash is in the menu.
    browser.rebuildMenu (false);
    EXPECT_EQ (browser.getPresetPaths().joinIntoString (" ").indexOf ("Trash"), -1) << browser.getPresetPaths().joinIntoString (" ");

    // A trash that is a link, or a shared one without the sticky bit, is never used: the
    // user is asked instead.
    shared.deleteRecursively();
    ownTrash.deleteRecursively();
    ASSERT_TRUE (tmp.createSymbolicLink (ownTrash, true));
    const auto kept = top.getChildFile ("Kept.qzr");
    deleteAnswering (kept, "Cancel");
    EXPECT_TRUE (kept.existsAsFile());

    shared.createDirectory();
    ::chmod (shared.getFullPathName().toRawUTF8(), 0777);
    deleteAnswering (kept, "Delete");
    EXPECT_FALSE (kept.exists());
    EXPECT_FALSE (shared.getChildFile (uid).exists());
    EXPECT_EQ (tmp.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
    EXPECT_FALSE (homeTrash().getChildFile ("files/Kept.qzr").exists());
}

//==============================================================================
TEST_F (PrivateFoldersTest, TrashEntriesFollowTheFreedesktopRules)
{
    const auto scratch = tmp;
    const auto trash = scratch.getChildFile ("Trash");

    for (int i = 0; i < 2; ++i)
    {
        const auto file = scratch.getChildFile ("a b%ü.qzr");
        file.replaceWithText ("preset " + juce::String (i));
        EXPECT_TRUE (BrioTrash::moveToTrash (file, trash).wasOk());
        EXPECT_FALSE (file.exists());
    }

    EXPECT_EQ (trash.getChildFile ("files/a b%ü.qzr").loadFileAsString(), "preset 0");
    EXPECT_EQ (trash.getChildFile ("files/a b%ü.2.qzr").loadFileAsString(), "preset 1");

    const auto info = juce::StringArray::fromLines (trash.getChildFile ("info/a b%ü.2.qzr.trashinfo").loadFileAsString());
    EXPECT_EQ (info[0], "[Trash Info]");
    EXPECT_EQ (info[1], "Path=" + scratch.getFullPathName() + "/a%20b%25%C3%BC.qzr");
    EXPECT_TRUE (info[2].startsWith ("DeletionDate=20"));

    EXPECT_TRUE (BrioTrash::moveToTrash (scratch.getChildFile ("missing.qzr"), trash).failed());
    EXPECT_EQ (BrioTrash::getHomeTrash(), home().getChildFile (".local/share/Trash"));
}

TEST_F (PrivateFoldersTest, ANameTakenJustBeforeTheMoveKeepsItsFile)
{
    const auto trash = tmp.getChildFile ("Trash");
    const auto file = tmp.getChildFile ("Raced.qzr");
    file.replaceWithText ("preset");
    int moves = 0;

    // Another program puts a file in "files" under the name just claimed.
    const auto result = BrioTrash::moveToTrash (file, trash, [&] (const juce::File& target)
    {
        if (++moves == 1)
            target.replaceWithText ("other");
    });

    EXPECT_TRUE (result.wasOk()) << result.getErrorMessage();
    EXPECT_FALSE (file.exists());
    EXPECT_EQ (moves, 2);
    EXPECT_EQ (trash.getChildFile ("files/Raced.qzr").loadFileAsString(), "other");
    EXPECT_EQ (trash.getChildFile ("files/Raced.2.qzr").loadFileAsString(), "preset");
    EXPECT_FALSE (trash.getChildFile ("info/Raced.qzr.trashinfo").exists());
    EXPECT_TRUE (trash.getChildFile ("info/Raced.2.qzr.trashinfo").existsAsFile());
}

TEST_F (PrivateFoldersTest, AHomeThatIsNotUtf8HasNoTrash)
{
    // With XDG_DATA_HOME unset the trash lies in the home folder. JUCE would read a home
    // of other bytes as the folder its decoded text names (the overlong form below is
    // "A"): the preset must stay where it is rather than go into someone else's folder.
    const auto raw = tmp.getFullPathName().toStdString();
    const auto file = tmp.getChildFile ("Doomed.qzr");
    file.replaceWithText ("preset");

    {
        const tanglefix_tests::ScopedVariable dataHome ("XDG_DATA_HOME", std::nullopt);
        const tanglefix_tests::ScopedVariable hostileHome ("HOME", raw + "/home\xc1\x81");
        EXPECT_EQ (BrioTrash::getHomeTrash(), juce::File());
        EXPECT_TRUE (BrioTrash::moveToTrash (file).failed());
    }

    EXPECT_TRUE (file.existsAsFile());
    EXPECT_FALSE (tmp.getChildFile ("homeA").exists());
}
