#include "EditorFixture.h"
#include "LoopbackHttpServer.h"
#include "NewsReplies.h"

#include <BrioKnobBubbles.h>

using OverlayTests::clickAt;
using OverlayTests::runUntil;

namespace
{
    /** Whether the menu, or one of its submenus, has the item, and whether it is ticked. */
    std::optional<bool> tickOf (const juce::PopupMenu& menu, int itemId)
    {
        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
            if (it.getItem().itemID == itemId)
                return it.getItem().isTicked;

        return std::nullopt;
    }

    /** Whether a menu is open, which this closes. */
    bool isOpenMenuShown()
    {
        return juce::PopupMenu::dismissAllActiveMenus();
    }

    /** The menu windows on the desktop, open or closed but not yet deleted (JUCE names
        each of them "menu"). */
    int countMenuWindows()
    {
        auto& desktop = juce::Desktop::getInstance();
        int count = 0;

        for (int i = 0; i < desktop.getNumComponents(); ++i)
            count += desktop.getComponent (i)->getName() == "menu" ? 1 : 0;

        return count;
    }
}

//==============================================================================
TEST_F (EditorTest, SettingsMenuTicksFollowTheProcessor)
{
    openEditor();
    auto& w = window();
    using W = TanglefixPluginWindow;

    processor->limiterOn = true;
    processor->setOversamplingFactor (8);
    w.buildSettingsMenu();
    EXPECT_EQ (tickOf (w.settingsMenu, W::limiterId), true);
    EXPECT_EQ (tickOf (w.settingsMenu, W::oversampleOffId + 3), true);
    EXPECT_EQ (tickOf (w.settingsMenu, W::oversampleOffId), false);
    EXPECT_EQ (tickOf (w.settingsMenu, W::morePluginsId), false);
    EXPECT_EQ (tickOf (w.settingsMenu, W::aboutId), false);
    EXPECT_TRUE (tickOf (w.settingsMenu, W::copyPresetId).has_value());

    // Small, Standard, Big for each scale; outside 0.5 .. 2 none.
    const std::pair<double, std::array<bool, 3>> scales[] = {
        { 0.5, { true, false, false } },  { 0.98, { true, false, false } }, { 0.99, { false, true, false } },
        { 1.01, { false, true, false } }, { 1.02, { false, false, true } }, { 2.0, { false, false, true } },
        { 0.4, { false, false, false } }, { 2.1, { false, false, false } } };

    for (const auto& [scale, ticks] : scales)
    {
        processor->windowScale = scale;
        w.buildSettingsMenu();

        for (int i = 0; i < 3; ++i)
            EXPECT_EQ (tickOf (w.settingsMenu, W::windowSmallId + i), ticks[(size_t) i]) << scale << " " << i;
    }
}

TEST_F (EditorTest, SettingsMenuCommandsReachTheProcessor)
{
    openEditor();
    auto& w = window();
    using W = TanglefixPluginWindow;

    W::menuCallback (W::oversampleOffId + 1, &w, &w.settingsButton);
    EXPECT_EQ (processor->oversamplingFactor, 2);
    W::menuCallback (W::oversampleOffId + 4, &w, &w.settingsButton);
    EXPECT_EQ (processor->oversamplingFactor, 16);
    W::menuCallback (W::oversampleOffId + 1, &w, &w.linksButton);
    EXPECT_EQ (processor->oversamplingFactor, 16) << "a links result is no settings command";

    const bool limiter = processor->limiterOn;
    W::menuCallback (W::limiterId, &w, &w.settingsButton);
    EXPECT_NE (processor->limiterOn.load(), limiter);
    W::menuCallback (0, &w, &w.settingsButton);
    EXPECT_NE (processor->limiterOn.load(), limiter) << "a dismissed menu changes nothing";
    W::menuCallback (W::limiterId, nullptr, nullptr);

    W::menuCallback (W::aboutId, &w, &w.settingsButton);
    EXPECT_TRUE (w.aboutWindow.isVisible());
}

TEST_F (EditorTest, CopyAndPasteBringBackTheKnobsAndTheBypassToggle)
{
    openEditor();
    auto& w = window();

    processor->gainParam->setValueNotifyingHost (0.3f);
    processor->bypassParam->setValueNotifyingHost (1.0f);
    w.handleSettingsMenuResult (TanglefixPluginWindow::copyPresetId);

    processor->gainParam->setValueNotifyingHost (0.9f);
    processor->bypassParam->setValueNotifyingHost (0.0f);
    tick();
    EXPECT_FALSE (w.bypassButton.getToggleState()) << "the toggle follows its parameter";

    w.handleSettingsMenuResult (TanglefixPluginWindow::pastePresetId);
    tick();
    EXPECT_FLOAT_EQ (processor->gainParam->getValue(), 0.3f);
    EXPECT_FLOAT_EQ ((float) w.gainKnob.getValue(), 0.3f);
    EXPECT_TRUE (w.bypassButton.getToggleState());

    // The next click turns Bypass off, rather than writing the "on" already there.
    w.bypassButton.triggerClick();
    ASSERT_TRUE (runUntil ([&] { return processor->bypassParam->getValue() < 0.5f; }));
}

TEST_F (EditorTest, KnobsAndBypassFollowAutomationWithinATickAndReportGestures)
{
    openEditor();
    auto& w = window();
    GestureCounter gestures (*processor);

    processor->mixParam->setValueNotifyingHost (0.25f);
    processor->bypassParam->setValueNotifyingHost (1.0f);
    tick();
    EXPECT_FLOAT_EQ ((float) w.mixKnob.getValue(), 0.25f);
    EXPECT_TRUE (w.bypassButton.getToggleState());
    gestures.events.clear();

    w.sliderDragStarted (&w.emphasisKnob);
    w.emphasisKnob.setValue (0.6, juce::sendNotificationSync);
    w.sliderDragEnded (&w.emphasisKnob);
    EXPECT_EQ (gestures.events, juce::StringArray ({ "begin 1", "set 1", "end 1" }));
    EXPECT_FLOAT_EQ (processor->emphasisParam->getValue(), 0.6f);

    gestures.events.clear();
    w.bypassButton.triggerClick();
    ASSERT_TRUE (runUntil ([&] { return gestures.events.size() == 3; }));
    EXPECT_EQ (gestures.events, juce::StringArray ({ "begin 5", "set 5", "end 5" }));
    EXPECT_LT (processor->bypassParam->getValue(), 0.5f);
}

//==============================================================================
TEST_F (EditorTest, RandomiseSkipsRandomLockedKnobsAndBypassAndSendsGestures)
{
    openEditor();
    auto& w = window();
    w.emphasisKnob.randomLocked = true;
    w.operationsKnob.randomLocked = true;
    processor->emphasisParam->setValueNotifyingHost (0.123f);
    processor->bypassParam->setValueNotifyingHost (1.0f);
    const auto operations = processor->operationsParam->getValue();
    GestureCounter gestures (*processor);

    for (int i = 0; i < 20; ++i)
        w.randomiseKnobs();

    EXPECT_FLOAT_EQ (processor->emphasisParam->getValue(), 0.123f);
    EXPECT_FLOAT_EQ (processor->operationsParam->getValue(), operations);
    EXPECT_FLOAT_EQ (processor->bypassParam->getValue(), 1.0f);

    for (auto* p : { processor->frequencyParam, processor->gainParam, processor->mixParam })
    {
        const auto v = p->getValue();
        EXPECT_NEAR (v * 100.0f, std::round (v * 100.0f), 1.0e-3f) << "a multiple of 0.01";
    }

    for (const auto& event : gestures.events)
        EXPECT_FALSE (event.startsWith ("loose")) << "every change inside a gesture";

    EXPECT_GT (gestures.changes[0], 0);
    EXPECT_EQ (gestures.changes.count (1), 0u);
    EXPECT_EQ (gestures.changes.count (5), 0u);
}

TEST_F (EditorTest, LockMessagesReachTheProcessorAndLastUntilTheNextEditor)
{
    openEditor();
    auto& w = window();

    w.actionListenerCallback ("LockParameterAll");
    EXPECT_EQ (processor->getLockedParameterNames(),
               juce::StringArray ({ "Frequency", "Emphasis", "Gain", "Mix", "Operations", "Bypass" }));

    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE (processor->getRandomLockFlags()[i]) << i;

    EXPECT_TRUE (w.gainKnob.lockIndicator.isVisible());

    closeEditor();
    openEditor();
    window().randomiseKnobs();
    EXPECT_TRUE (window().gainKnob.locked && window().gainKnob.randomLocked);
    EXPECT_TRUE (window().bypassButton.locked);

    window().actionListenerCallback ("unLockRandomAll");
    EXPECT_FALSE (processor->getRandomLockFlags()[0]);
    EXPECT_TRUE (processor->getRandomLockFlags()[5]) << "Bypass has no random lock to clear";
    EXPECT_EQ (processor->getLockedParameterNames().size(), 6);

    window().actionListenerCallback ("unLockParameterAll");
    EXPECT_TRUE (processor->getLockedParameterNames().isEmpty());
    EXPECT_FALSE (window().gainKnob.lockIndicator.isVisible());
}

TEST_F (EditorTest, AStateRecalledWhileOpenReachesTheLocksAndThePresetName)
{
    openEditor();
    auto& w = window();

    auto state = stateXml (*processor);
    state->setAttribute ("ParameterLock", "Frequency");
    state->setAttribute ("lock3", 1);
    state->setAttribute ("Preset", "Recalled");
    setState (*processor, *state);
    tick();

    EXPECT_TRUE (w.frequencyKnob.locked);
    EXPECT_TRUE (w.frequencyKnob.lockIndicator.isVisible());
    EXPECT_TRUE (w.mixKnob.randomLocked);
    EXPECT_FALSE (w.frequencyKnob.randomLocked) << "the random flags decide";
    EXPECT_EQ (w.presetBrowser.getLabelText(), "Recalled");

    // A later lock message starts from the recalled lists, not the old flags.
    w.actionListenerCallback ("LockParameterUpdate");
    EXPECT_EQ (processor->getLockedParameterNames(), juce::StringArray ("Frequency"));
    EXPECT_TRUE (processor->getRandomLockFlags()[3]);
}

TEST_F (EditorTest, StoredLocksComeBackAsTheLayoutSays)
{
    TanglefixAudioProcessor::RandomLockFlags flags {};
    flags[0] = true;
    processor->setRandomLockFlags (flags);
    processor->setLockedParameterNames ({ "Emphasis", "bypass", "Gain" });
    openEditor();
    auto& w = window();

    EXPECT_TRUE (w.frequencyKnob.randomLocked && ! w.frequencyKnob.locked);
    EXPECT_FALSE (w.frequencyKnob.lockIndicator.isVisible());
    EXPECT_TRUE (w.emphasisKnob.locked && ! w.emphasisKnob.randomLocked);
    EXPECT_TRUE (w.emphasisKnob.lockIndicator.isVisible());
    EXPECT_FALSE (w.bypassButton.locked) << "names differ in case";
    EXPECT_TRUE (w.bypassButton.randomLocked);
}

//==============================================================================
TEST_F (EditorTest, NewsWithAnEmptyListShowsOneEntryAndClearsTheBadge)
{
    openEditor();
    auto& w = window();

    for (int i = 0; i < 2; ++i)
    {
        w.buttonClicked (&w.newsButton);
        EXPECT_TRUE (w.notificationWindow.isVisible());
        ASSERT_EQ (w.notificationWindow.getList().getNumEntries(), 1);
        EXPECT_FALSE (w.notificationWindow.getList().getEntry (0)->hasLink());
    }

    EXPECT_EQ (w.newsBadge.getUnreadCount(), 0);
    tick();
    EXPECT_TRUE (w.newsButton.getToggleState());
}

TEST_F (EditorTest, NewsFetchedAfterTheEditorOpenedReachTheBadgeAndTheWindow)
{
    openEditor();
    auto& w = window();
    EXPECT_EQ (w.newsBadge.getUnreadCount(), 0);

    LoopbackHttpServer server;
    server.setReply (NewsReply().add ("n-3").add ("n-2").toString());
    BrioSettings().setSecondString (BrioStoredNames::newsEnabledKey, "1", true);
    processor->notifications.setEndpoint (server.getAddress());
    processor->notifications.reloadSettingsAndStart();
    ASSERT_TRUE (processor->notifications.waitForThreadToExit (30000));

    tick();
    EXPECT_EQ (w.newsBadge.getUnreadCount(), 2);

    for (int i = 0; i < 2; ++i)
    {
        w.buttonClicked (&w.newsButton);
        ASSERT_EQ (w.notificationWindow.getList().getNumEntries(), 2) << "each record once";
        EXPECT_EQ (w.notificationWindow.getList().getEntry (0)->getLink(), "https://larkspan.com/news");
    }

    tick();
    EXPECT_EQ (w.newsBadge.getUnreadCount(), 0);
    EXPECT_EQ (processor->notifications.getNewCount(), 0);
}

TEST_F (EditorTest, TheNameAreaOpensTheLinksMenuAndClosesEditBubbles)
{
    openEditor();
    auto& w = window();
    editor->addToDesktop (0);
    editor->setVisible (true);

    for (const auto& [x, y, opens] : { std::tuple { 26, 0, true }, { 160, 45, true }, { 25, 10, false },
                                       { 161, 10, false }, { 100, 46, false } })
    {
        // Looked at before the message loop runs: a menu without keyboard focus closes
        // itself within milliseconds. The closed one must be gone before the next click.
        w.mouseDown (clickAt (w, { x, y }));
        EXPECT_EQ (isOpenMenuShown(), opens) << x << ", " << y;
        ASSERT_TRUE (runUntil ([] { return countMenuWindows() == 0; }));
    }

    w.gainKnob.showEditValueBubble();
    ASSERT_NE (w.gainKnob.editBubble, nullptr);
    w.mouseDown (clickAt (w, { 300, 30 }));
    EXPECT_TRUE (w.gainKnob.editBubble->isTimerRunning());
}

TEST_F (EditorTest, LinksOpenThroughTheLauncher)
{
    openEditor();
    OverlayTests::StubOpener opener (tmp);

    TanglefixPluginWindow::menuCallback (TanglefixPluginWindow::youtubeId, &window(), &window().linksButton);
    EXPECT_EQ (opener.waitForArguments(), juce::StringArray (TanglefixPluginWindow::getLinkAddress (1004)));
    EXPECT_TRUE (TanglefixPluginWindow::getLinkAddress (1000).startsWith ("https://"));
    EXPECT_TRUE (TanglefixPluginWindow::getLinkAddress (1005).isEmpty());
}

TEST_F (EditorTest, AMenuThatOutlivesItsEditorDoesNothing)
{
    const OverlayTests::StubOpener opener (tmp);
    const auto limiter = processor->limiterOn.load();
    using W = TanglefixPluginWindow;

    const std::pair<std::function<void (W&)>, int> menus[] = {
        { [] (W& w) { w.buttonClicked (&w.settingsButton); }, W::limiterId },
        { [] (W& w) { w.mouseDown (clickAt (w, { 100, 20 })); }, W::youtubeId } };

    for (const auto& [openMenu, choice] : menus)
    {
        openEditor();
        editor->addToDesktop (0);
        editor->setVisible (true);

        // The menu opens at once; it is taken before the message loop runs, as without
        // keyboard focus it would close itself within milliseconds.
        openMenu (window());
        ASSERT_GT (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
        const juce::Component::SafePointer<juce::Component> menu (juce::ModalComponentManager::getInstance()->getModalComponent (0));

        // A choice is delivered asynchronously: here it arrives after the editor is gone.
        // The menu window is deleted once its answer has been delivered.
        menu->exitModalState (choice);
        closeEditor();
        EXPECT_TRUE (runUntil ([&] { return menu == nullptr; }));
    }

    EXPECT_EQ (processor->limiterOn.load(), limiter);
    OverlayTests::deliverPendingMessages();
    EXPECT_FALSE (opener.wasRun());
}
