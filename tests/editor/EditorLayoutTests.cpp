#include "EditorFixture.h"

#include <BrioArt.h>

using OverlayTests::runUntil;

namespace
{
    using Bounds = juce::Rectangle<int>;

    /** A mouse event on the editor as if it came from one of its children. */
    juce::MouseEvent eventFrom (juce::Component& target, juce::Component& source, int numClicks)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), {}, juce::ModifierKeys::leftButtonModifier,
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &source, &target, now, {}, now, numClicks, false };
    }
}

//==============================================================================
TEST_F (EditorTest, TheProcessorMakesTheEditorAtTheLayoutSize)
{
    EXPECT_TRUE (processor->hasEditor());
    auto& e = openEditor();

    EXPECT_EQ (e.getBounds(), Bounds (0, 0, 650, 420));
    EXPECT_EQ (window().getBounds(), Bounds (0, 0, 650, 420));
    EXPECT_EQ (e.getResizeCorner()->getBounds(), Bounds (636, 406, 14, 14));
    EXPECT_FLOAT_EQ (e.getResizeCorner()->getAlpha(), 0.2f);
}

TEST_F (EditorTest, EveryChildLiesWhereTheLayoutPutsIt)
{
    openEditor();
    auto& w = window();

    const std::pair<juce::Component*, Bounds> expected[] =
    {
        { &w.background,           { 0, 0, 650, 420 } },
        { &w.nameLabel,            { 37, 2, 120, 44 } },
        { &w.presetBar,            { 205, 10, 322, 28 } },
        { &w.previousButton,       { 206, 11, 21, 12 } },
        { &w.nextButton,           { 206, 24, 21, 12 } },
        { &w.presetBrowser,        { 228, 11, 202, 25 } },
        { &w.saveButton,           { 431, 11, 31, 25 } },
        { &w.deleteButton,         { 463, 11, 31, 25 } },
        { &w.randomButton,         { 495, 11, 31, 25 } },
        { &w.newsButton,           { 557, 13, 20, 20 } },
        { &w.newsBadge,            { 569, 10, 10, 12 } },
        { &w.settingsButton,       { 585, 13, 20, 20 } },
        { &w.bypassButton,         { 613, 13, 20, 20 } },
        { &w.frequencyKnob,        { 27, 89, 310, 290 } },
        { &w.emphasisKnob,         { 350, 84, 142, 146 } },
        { &w.gainKnob,             { 499, 84, 148, 146 } },
        { &w.mixKnob,              { 499, 236, 148, 157 } },
        { &w.operationsKnob,       { 356, 235, 135, 144 } },
        { &w.frequencyLabel,       { 28, 370, 310, 18 } },
        { &w.mixLabel,             { 494, 372, 148, 16 } },
        { &w.gainLabel,            { 494, 211, 148, 16 } },
        { &w.emphasisLabel,        { 345, 211, 142, 16 } },
        { &w.operationsValueLabel, { 349, 370, 135, 16 } },
        { &w.aboutWindow,          { 0, 0, 650, 420 } },
        { &w.notificationWindow,   { 0, 0, 650, 420 } },
    };

    for (const auto& [child, bounds] : expected)
    {
        EXPECT_EQ (child->getBounds(), bounds) << child->getName() << " " << child->getBounds().toString();
        EXPECT_EQ (child->getParentComponent(), &w);
    }

    EXPECT_EQ (w.linksButton.getParentComponent(), nullptr);
    EXPECT_EQ (w.getChildComponent (w.getNumChildComponents() - 1), &w.notificationWindow);
    EXPECT_EQ (w.getChildComponent (w.getNumChildComponents() - 2), &w.aboutWindow);
    EXPECT_FALSE (w.aboutWindow.isVisible() || w.notificationWindow.isVisible());

    EXPECT_EQ (w.nameLabel.getName(), "pluginName");
    EXPECT_EQ (w.nameLabel.getText(), "TANGLEFIX");
    EXPECT_EQ (w.presetBrowser.getLabelText(), "Init");
    EXPECT_EQ (w.knobs, (juce::Array<LarkspanBrio::BrioKnob*> { &w.frequencyKnob, &w.emphasisKnob, &w.gainKnob,
                                                                &w.mixKnob, &w.operationsKnob }));
    EXPECT_EQ (w.operationsValueLabel.getText(),
               processor->operationsParam->getText (processor->operationsParam->getValue(), 12));
    EXPECT_FALSE (w.bypassButton.randomLockEnabled);
    EXPECT_TRUE (w.bypassButton.randomLocked);
}

TEST_F (EditorTest, ThePanelsPicturesAreSharedThroughTheCache)
{
    openEditor();
    auto& w = window();

    // Decoded once while any editor shows them, like the filmstrips.
    EXPECT_EQ (w.background.getImage().getPixelData(),
               juce::ImageCache::getFromMemory (BrioArt::background_png, BrioArt::background_pngSize).getPixelData());
    EXPECT_EQ (w.presetBar.getImage().getPixelData(),
               juce::ImageCache::getFromMemory (BrioArt::preset_bar_png, BrioArt::preset_bar_pngSize).getPixelData());
}

//==============================================================================
TEST_F (EditorTest, ScalesBetweenTheLimitsStayPutTickAfterTick)
{
    const std::pair<double, Bounds> cases[] = { { 0.75, { 0, 0, 487, 315 } }, { 1.25, { 0, 0, 812, 525 } },
                                                { 0.5, { 0, 0, 325, 210 } },  { 2.0, { 0, 0, 1300, 840 } },
                                                { 0.8, { 0, 0, 520, 336 } },  { 1.1, { 0, 0, 715, 462 } } };

    for (const auto& [scale, bounds] : cases)
    {
        processor->windowScale = scale;
        auto& e = openEditor();
        tick (40);

        EXPECT_EQ (e.getBounds(), bounds) << scale;
        EXPECT_EQ (processor->windowScale, scale);
        EXPECT_EQ (window().getTransform(), juce::AffineTransform::scale ((float) scale));
        EXPECT_EQ (e.getResizeCorner()->getBounds(), Bounds (bounds.getWidth() - 14, bounds.getHeight() - 14, 14, 14));
        closeEditor();

        EXPECT_EQ (storedWindowSize(), scale) << "saved when the editor closed";
    }
}

TEST_F (EditorTest, CornerDragsStopAtTheLimitsAndADoubleClickRestores)
{
    auto& e = openEditor();
    auto& limits = const_cast<juce::ComponentBoundsConstrainer&> (e.getSizeLimits());

    limits.setBoundsForComponent (&e, { 0, 0, 100, 50 }, false, false, true, true);
    EXPECT_EQ (e.getBounds(), Bounds (0, 0, 325, 210));
    EXPECT_EQ (processor->windowScale, 0.5);
    tick();
    EXPECT_EQ (window().getTransform(), juce::AffineTransform::scale (0.5f));

    limits.setBoundsForComponent (&e, { 0, 0, 4000, 3000 }, false, false, true, true);
    EXPECT_EQ (e.getBounds(), Bounds (0, 0, 1300, 840));
    EXPECT_EQ (processor->windowScale, 2.0);
    tick();

    e.mouseDown (eventFrom (e, window().frequencyKnob, 2));
    EXPECT_EQ (processor->windowScale, 2.0) << "only the corner reacts";

    e.mouseDown (eventFrom (e, *e.getResizeCorner(), 2));
    EXPECT_EQ (processor->windowScale, 1.0);
    tick();
    EXPECT_EQ (e.getBounds(), Bounds (0, 0, 650, 420));
    EXPECT_EQ (window().getTransform(), juce::AffineTransform::scale (1.0f));
}

TEST_F (EditorTest, ADragToTheSizeOfARoundScaleStoresThatScale)
{
    auto& e = openEditor();

    // The size a scale in hundredths gives stands for that scale, whatever was stored.
    for (const auto scale : { 0.75, 1.3, 0.51, 1.99, 1.0 })
    {
        const auto size = TanglefixProcessorEditor::sizeForScale (scale);
        e.setSize (size.getWidth(), size.getHeight());
        tick (3);
        EXPECT_EQ (e.getBounds(), size) << scale;
        EXPECT_EQ (processor->windowScale, scale);
    }

    // Widths between such sizes keep width / 650.
    e.setSize (488, 315);
    EXPECT_EQ (processor->windowScale, 488.0 / 650.0);
}

TEST_F (EditorTest, TheCornerBrightensOnlyUnderTheMouse)
{
    auto& e = openEditor();
    auto& corner = *e.getResizeCorner();

    e.mouseEnter (eventFrom (e, window().background, 0));
    EXPECT_FLOAT_EQ (corner.getAlpha(), 0.2f);
    e.mouseEnter (eventFrom (e, corner, 0));
    EXPECT_FLOAT_EQ (corner.getAlpha(), 1.0f);
    e.mouseExit (eventFrom (e, corner, 0));
    EXPECT_FLOAT_EQ (corner.getAlpha(), 0.2f);
}

TEST_F (EditorTest, ABurstOfResizesIsSavedOnceAfterTheLast)
{
    auto& e = openEditor();
    ASSERT_TRUE (runUntil ([&] { return ! e.isSavePending(); }));
    const auto settingsFile = juce::File (processor->settings.getGlobalSettingsFile());
    const auto before = settingsFile.getLastModificationTime();

    for (const int width : { 700, 750, 800, 910 })
        e.setSize (width, juce::roundToInt (width / 650.0 * 420.0));

    EXPECT_TRUE (e.isSavePending());
    EXPECT_EQ (storedWindowSize(), 1.0) << "nothing written during the burst";
    ASSERT_TRUE (runUntil ([&] { return ! e.isSavePending(); }));
    EXPECT_EQ (storedWindowSize(), 1.4);
    EXPECT_GE (settingsFile.getLastModificationTime(), before);

    settingsFile.deleteFile();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (2300);
    EXPECT_FALSE (settingsFile.exists()) << "written once only";
}

TEST_F (EditorTest, TheWindowSizeMenuScalesAtTheNextTickAndStoresTheScale)
{
    auto& e = openEditor();

    window().handleSettingsMenuResult (TanglefixPluginWindow::windowSmallId);
    EXPECT_EQ (storedWindowSize(), 0.75);
    EXPECT_EQ (e.getBounds(), Bounds (0, 0, 650, 420)) << "not before the tick";
    tick (10);
    EXPECT_EQ (e.getBounds(), Bounds (0, 0, 487, 315));
    EXPECT_EQ (processor->windowScale, 0.75);

    window().handleSettingsMenuResult (TanglefixPluginWindow::windowSmallId + 2);
    tick();
    EXPECT_EQ (e.getBounds(), Bounds (0, 0, 812, 525));
    EXPECT_EQ (storedWindowSize(), 1.25);
}
