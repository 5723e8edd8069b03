// The editor as the stand-in host opens it: from the real bundle, through the registered GUI
// factory and a view container over an X window of the host's, with the mouse played
// through the X server. Nothing here links JUCE or the plug-in's code.

#include "HostEditor.h"
#include "HostAutomationDelegate.h"
#include "ScopedVariable.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

using namespace tanglefix::host;

namespace
{
    // The Gain and Mix knobs in the editor's layout (650 x 420 at scale 1).
    constexpr int gainX = 499, gainY = 84, gainWidth = 148, gainHeight = 146;
    constexpr int mixX = 499, mixY = 236, mixWidth = 148, mixHeight = 157;

    // The preset delete button, and the message box it opens over the middle of the
    // editor when there is nothing to delete, with its OK button.
    constexpr int deleteX = 478, deleteY = 23;
    constexpr int boxX = 150, boxY = 143, boxWidth = 350, boxHeight = 134;
    constexpr int okX = 324, okY = 256;

    // The save button, the presets menu's button and the menu's last item ("Open presets
    // folder") when the presets folder is empty.
    constexpr int saveX = 440, saveY = 20;
    constexpr int presetsX = 329, presetsY = 23;
    constexpr int openFolderX = 300, openFolderY = 50;

    class EditorInHostTest  : public ::testing::Test
    {
    protected:
        // One window for every test: its connection keeps the X server from resetting
        // (and refusing connections for a moment) between tests, as it does when its last
        // client leaves. It is made first, because the plug-in looks up the window
        // manager's atoms, which the window makes, when its GUI starts.
        static void SetUpTestSuite()
        {
            std::string error;
            sharedWindow = new HostEditorWindow();
            ASSERT_TRUE (sharedWindow->open (650, 420, error)) << error;
            ASSERT_TRUE (sharedWindow->canPlayInput());
        }

        static void TearDownTestSuite()
        {
            delete sharedWindow;
            sharedWindow = nullptr;
        }

        void SetUp() override
        {
            std::string error;
            ASSERT_TRUE (session.load (TANGLEFIX_BUNDLE, error)) << error;
            ASSERT_TRUE (session.startUp().succeeded());
            ASSERT_TRUE (session.registerPlugin().succeeded());

            instance = PluginInstance::create (session, session.getRegistration()->effects.front(), InstanceSetup(), error);
            ASSERT_NE (instance, nullptr) << error;
            ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
            editor = std::make_unique<HostEditor> (session, *instance, window);
            ASSERT_EQ (editor->attach(), AAX_SUCCESS);

            // Played input must find the panel laid out and on screen: on a loaded machine
            // the cold open (the filmstrips' decoding) takes far longer than usual.
            ASSERT_TRUE (pumpUntil ([this] { return isMostlyDrawn(); }));
        }

        void TearDown() override
        {
            if (editor != nullptr)
            {
                EXPECT_EQ (editor->detach(), AAX_SUCCESS);
            }

            editor.reset();

            if (instance != nullptr)
            {
                EXPECT_EQ (instance->uninitialize(), AAX_SUCCESS);
                instance->release();
                instance.reset();
            }

            session.dispatchRunLoop();
            EXPECT_TRUE (session.shutDown().succeeded());
            acfUInt32 activeObjects = 99;
            EXPECT_TRUE (session.canUnloadNow (activeObjects).succeeded());
            EXPECT_EQ (activeObjects, 0u);
        }

        std::string idOf (const std::string& name) const
        {
            std::vector<ParameterListing> parameters;
            EXPECT_EQ (instance->listParameters (parameters), AAX_SUCCESS);

            for (const auto& p : parameters)
                if (p.name == name)
                    return p.id;

            ADD_FAILURE() << "no parameter " << name;
            return {};
        }

        double valueOf (const std::string& id) const
        {
            double value = -1.0;
            EXPECT_EQ (instance->getEffect()->GetParameterNormalizedValue (id.c_str(), &value), AAX_SUCCESS);
            return value;
        }

        /** The area's picture once it differs from unlike and stays as it is over a pump
            (empty if it never does): the editor drawn whole before it is compared with
            anything, a message box drawn whole before it is clicked. A loaded machine may
            show either half drawn for a while. */
        std::vector<uint32_t> settledPicture (const std::function<std::vector<uint32_t>()>& area,
                                              const std::vector<uint32_t>& unlike = {})
        {
            std::vector<uint32_t> last;

            const auto settled = pumpUntil ([&]
            {
                auto now = area();
                const auto same = now != unlike && now == last;
                last = std::move (now);
                return same;
            });

            return settled ? last : std::vector<uint32_t>();
        }

        /** Keeps the editor going until the condition holds; gives up after a minute,
            which only guards against a hang: a loaded machine may take seconds. */
        bool pumpUntil (const std::function<bool()>& condition)
        {
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes (1);

            while (std::chrono::steady_clock::now() < giveUp)
            {
                if (condition())
                    return true;

                editor->pump (std::chrono::milliseconds (20));
            }

            return condition();
        }

        /** The panel, not the black frame: most of the window is drawn once it has painted. */
        bool isMostlyDrawn() const
        {
            const auto pixels = window.capture (0, 0, window.getWidth(), window.getHeight());
            const auto drawn = std::count_if (pixels.begin(), pixels.end(), [] (uint32_t p) { return p != 0; });
            return ! pixels.empty() && drawn > (long) pixels.size() / 2;
        }

        std::vector<AutomationEvent> automationFor (const std::string& id) const
        {
            auto events = instance->getController().getAutomationDelegate()->getEvents();
            events.erase (std::remove_if (events.begin(), events.end(), [&] (const auto& e) { return e.parameterID != id; }),
                          events.end());
            return events;
        }

        static inline HostEditorWindow* sharedWindow = nullptr;

        HostSession session;
        std::unique_ptr<PluginInstance> instance;
        HostEditorWindow& window = *sharedWindow;
        std::unique_ptr<HostEditor> editor;
    };
}

//==============================================================================
TEST_F (EditorInHostTest, OpensAtTheLayoutSizeAndShowsThePanel)
{
    EXPECT_EQ (window.getWidth(), 650);
    EXPECT_EQ (window.getHeight(), 420);

    EXPECT_EQ (window.capture (0, 0, 650, 420).size(), 650u * 420u);
    EXPECT_TRUE (isMostlyDrawn());

    const tanglefix_tests::TestFolder folder;
    std::string error;
    EXPECT_TRUE (window.saveScreenshot (folder.file ("editor.png"), error)) << error;
}

TEST_F (EditorInHostTest, AKnobDragReachesTheHostAsTouchSetAndRelease)
{
    const auto gain = idOf ("Gain");
    const auto before = valueOf (gain);
    instance->getController().getAutomationDelegate()->clearEvents();

    const int x = gainX + gainWidth / 2, y = gainY + gainHeight / 2;
    editor->drag (x, y, x, y - 60);

    // The release reaches the plug-in whenever the X server and the run loop get to it.
    EXPECT_TRUE (pumpUntil ([&]
    {
        const auto sofar = automationFor (gain);
        return ! sofar.empty() && sofar.back().kind == AutomationEvent::Kind::released;
    }));

    const auto events = automationFor (gain);
    ASSERT_GE (events.size(), 3u);
    EXPECT_EQ (events.front().kind, AutomationEvent::Kind::touched);
    EXPECT_EQ (events.back().kind, AutomationEvent::Kind::released);
    EXPECT_TRUE (std::any_of (events.begin(), events.end(),
                              [] (const auto& e) { return e.kind == AutomationEvent::Kind::setRequested; }));
    EXPECT_GT (valueOf (gain), before) << "the host answered the requests";
}

TEST_F (EditorInHostTest, TheHostsAutomationMovesTheKnob)
{
    const auto before = window.capture (mixX, mixY, mixWidth, mixHeight);
    ASSERT_EQ (instance->setParameter (idOf ("Mix"), 0.05), AAX_SUCCESS);

    // The panel follows its parameters every 65 ms, and then repaints.
    EXPECT_TRUE (pumpUntil ([&] { return window.capture (mixX, mixY, mixWidth, mixHeight) != before; }));
}

TEST_F (EditorInHostTest, TheResizeCornerScalesTheEditorAndTheHostWindowFollows)
{
    editor->drag (650 - 7, 420 - 7, 650 - 7 - 325, 420 - 7 - 210);
    EXPECT_TRUE (pumpUntil ([&] { return window.getWidth() == 325; }));

    const auto sizes = editor->getView().getSizeRequests();
    ASSERT_FALSE (sizes.empty());
    EXPECT_EQ (sizes.back().horz, 325.0f);
    EXPECT_EQ (sizes.back().vert, 210.0f);
    EXPECT_EQ (window.getWidth(), 325);
    EXPECT_EQ (window.getHeight(), 210);

    // And back: the host window grows with the editor. (The double click that restores the
    // standard size is tested in process: through the X server its two presses are stamped
    // too far apart whenever the server is kept from running between them.)
    editor->drag (325 - 7, 210 - 7, 650 - 7, 420 - 7);
    EXPECT_TRUE (pumpUntil ([&] { return window.getWidth() == 650; }));

    EXPECT_EQ (window.getWidth(), 650);
    EXPECT_EQ (window.getHeight(), 420);
}

TEST_F (EditorInHostTest, AClosedMessageBoxLeavesNothingOfItsPictureBehind)
{
    const auto shown = [this] { return window.capture (0, 0, window.getWidth(), window.getHeight()); };
    const auto boxArea = [this] { return window.capture (boxX, boxY, boxWidth, boxHeight); };
    // The pointer where the OK click will leave it, so that what lies under it looks the
    // same before and after: a test before may have left it over the resize corner, which
    // lights up under the pointer once the editor hears of it, early or late.
    window.movePointer (okX, okY);
    const auto before = settledPicture (shown);
    const auto editorUnderBox = boxArea();

    // No preset file is loaded: the delete button tells so in a message box.
    editor->click (deleteX, deleteY);
    ASSERT_FALSE (settledPicture (boxArea, editorUnderBox).empty());

    // Its OK button closes it, and nothing moves the pointer afterwards: the editor must
    // redraw what the box and its shadow covered on its own.
    editor->click (okX, okY);
    EXPECT_TRUE (pumpUntil ([&] { return shown() == before; }));
}

//==============================================================================
// Bytes that are not UTF-8 where JUCE's own code turns them into strings: font folders and
// their files, HOME, XDG_DATA_HOME, JUCE_FONT_PATH, PATH, the presets folder's listing in
// JUCE's file chooser. Any local user can plant such names in the shared folders.
namespace
{
    namespace fs = std::filesystem;

    std::string overlong (int count)
    {
        std::string bytes;

        for (int i = 0; i < count; ++i)
            bytes += "\xc1\x81";    // "A", in two bytes where one belongs

        return bytes;
    }

    const std::string fontFileCutAtZero = "f\xc0\x80" + std::string (200, 'B') + ".ttf";
    const fs::path presetsFolder ("/opt/Larkspan/Presets/Tanglefix");

    enum class Hostile { fontFileNames, fontFolderPath, dataHome, home, searchPath };

    class HostileEnvironmentTest  : public EditorInHostTest
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE (fs::exists ("/opt")) << "run through tests/private-run.sh";
            EditorInHostTest::SetUp();
        }

        void TearDown() override
        {
            EditorInHostTest::TearDown();
            variables.clear();
        }

        void set (const char* name, const std::optional<std::string>& value)
        {
            variables.push_back (std::make_unique<tanglefix_tests::ScopedVariable> (name, value));
        }

        /** A stand-in xdg-open that writes its arguments into a file. */
        fs::path makeOpener (const fs::path& binFolder) const
        {
            fs::create_directories (binFolder);
            const auto opener = binFolder / "xdg-open";
            std::ofstream (opener) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << openedRecord().string() << "'\n";
            fs::permissions (opener, fs::perms::owner_all);
            return opener;
        }

        fs::path openedRecord() const    { return fs::path (folder.path) / "opened.txt"; }

        std::string readOpened() const
        {
            std::ifstream in (openedRecord());
            return { std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>() };
        }

        const tanglefix_tests::TestFolder folder;
        std::vector<std::unique_ptr<tanglefix_tests::ScopedVariable>> variables;
    };

    class HostileFontsAndHomeTest  : public HostileEnvironmentTest,
                                     public ::testing::WithParamInterface<Hostile>
    {
    protected:
        void SetUp() override
        {
            const fs::path base (folder.path);
            const auto plainHome = base / "home";
            fs::create_directories (plainHome / ".fonts");
            set ("HOME", plainHome.string());
            set ("XDG_DATA_HOME", std::nullopt);
            set ("JUCE_FONT_PATH", std::nullopt);

            switch (GetParam())
            {
                case Hostile::fontFileNames:
                    std::ofstream (plainHome / ".fonts" / fontFileCutAtZero).flush();
                    std::ofstream (plainHome / ".fonts" / ("x" + overlong (40) + ".ttf")).flush();
                    break;

                case Hostile::fontFolderPath:
                    set ("JUCE_FONT_PATH", (base / ("fonts" + overlong (40))).string());
                    break;

                case Hostile::dataHome:
                    set ("XDG_DATA_HOME", (base / ("data" + overlong (40))).string());
                    break;

                case Hostile::home:
                    fs::create_directories (base / ("home" + overlong (40)) / ".fonts");
                    set ("HOME", (base / ("home" + overlong (40))).string());
                    break;

                case Hostile::searchPath:
                    set ("PATH", (base / ("bin" + overlong (40))).string() + ":" + std::getenv ("PATH"));
                    break;
            }

            HostileEnvironmentTest::SetUp();
        }
    };
}

// The instance is made (the presets migration looks for the home folder) and the editor
// opens (JUCE lists the font folders for the embedded typeface) and draws its text.
TEST_P (HostileFontsAndHomeTest, TheEditorOpensAndWorks)
{
    EXPECT_TRUE (isMostlyDrawn());

    const auto boxArea = [this] { return window.capture (boxX, boxY, boxWidth, boxHeight); };
    const auto editorUnderBox = settledPicture (boxArea);
    editor->click (deleteX, deleteY);
    ASSERT_FALSE (settledPicture (boxArea, editorUnderBox).empty());
    editor->click (okX, okY);
    EXPECT_TRUE (pumpUntil ([&] { return boxArea() == editorUnderBox; }));
}

INSTANTIATE_TEST_SUITE_P (NamesThatAreNotUtf8, HostileFontsAndHomeTest,
                          ::testing::Values (Hostile::fontFileNames, Hostile::fontFolderPath,
                                             Hostile::dataHome, Hostile::home, Hostile::searchPath));

TEST_F (HostileEnvironmentTest, OpenPresetsFolderWithAPathEntryThatIsNotUtf8)
{
    const fs::path base (folder.path);
    makeOpener (base / "bin");
    set ("PATH", (base / ("bin" + overlong (40))).string() + ":" + (base / "bin").string());

    editor->click (presetsX, presetsY);
    editor->pump (std::chrono::milliseconds (300));
    editor->click (openFolderX, openFolderY);

    EXPECT_TRUE (pumpUntil ([&] { return ! readOpened().empty(); }));
    EXPECT_EQ (readOpened(), presetsFolder.string() + "\n");
}

TEST_F (HostileEnvironmentTest, SaveListsAPresetsFolderHoldingANameThatIsNotUtf8)
{
    // No zenity or kdialog on PATH: JUCE's own chooser lists the presets folder.
    const fs::path base (folder.path);
    fs::create_directories (base / "bin");
    set ("PATH", (base / "bin").string());
    std::ofstream (presetsFolder / ("x" + overlong (40) + ".qzr")) << "<Tanglefix_SETTINGS/>";
    std::ofstream (presetsFolder / fontFileCutAtZero) << "<Tanglefix_SETTINGS/>";

    const auto shown = [this] { return window.capture (0, 0, window.getWidth(), window.getHeight()); };
    const auto before = shown();
    editor->click (saveX, saveY);

    // The chooser lists the folder on a thread of its own once it shows; what it lists is
    // not visible to the host, so the editor runs on for a while after.
    EXPECT_TRUE (pumpUntil ([&] { return shown() != before; }));
    editor->pump (std::chrono::milliseconds (1500));

    fs::remove (presetsFolder / ("x" + overlong (40) + ".qzr"));
    fs::remove (presetsFolder / fontFileCutAtZero);
}
