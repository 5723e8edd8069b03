#include "TanglefixPluginWindow.h"

#include "BrioArt.h"
#include "BrioImageLoader.h"
#include "BrioKnobBubbles.h"
#include "BrioLockMenu.h"
#include "TanglefixOperationsKnob.h"
#include "TanglefixProcessorEditor.h"

#include <TanglefixBrioParameter.h>

#include <cmath>

namespace
{
    constexpr int numOversampleItems = 5;
    constexpr int maxNameLength = 50;
    constexpr int maxOperationsTextLength = 12;
    constexpr int editBubbleCloseOnPanelClickMs = 150;

    // The product name's click zone, which opens the links menu (both ends included).
    const juce::Rectangle<int> nameArea { 26, 0, 135, 46 };

    /** Through the cache, like the filmstrips: a second editor decodes none of them. */
    juce::Image loadPicture (const void* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }

    std::unique_ptr<juce::Drawable> loadDrawing (const void* data, int size, juce::Colour colour)
    {
        auto drawing = juce::Drawable::createFromImageData (data, (size_t) size);

        if (drawing != nullptr)
            drawing->replaceColour (juce::Colours::black, colour);

        return drawing;
    }

    /** The maker's web address without its scheme, as the links menu shows it. */
    juce::String getWebAddressText()
    {
        return juce::String (JucePlugin_ManufacturerWebsite).fromFirstOccurrenceOf ("://", false, false);
    }
}

//==============================================================================
TanglefixPluginWindow::TanglefixPluginWindow (TanglefixAudioProcessor& p, TanglefixProcessorEditor& e)
    : filmstripLoader ({ { BrioArt::knob_frequency_png, BrioArt::knob_frequency_pngSize },
                         { BrioArt::knob_emphasis_png, BrioArt::knob_emphasis_pngSize },
                         { BrioArt::knob_gain_png, BrioArt::knob_gain_pngSize },
                         { BrioArt::knob_mix_png, BrioArt::knob_mix_pngSize },
                         { BrioArt::knob_operations_png, BrioArt::knob_operations_pngSize } }),
      presetCommands (p, presetBrowser, *this), processor (p), editor (e)
{
    setSize (TanglefixProcessorEditor::layoutWidth, TanglefixProcessorEditor::layoutHeight);
    setColours();
    createTopBarAndButtons();
    createKnobsAndLabels();

    addChildComponent (aboutWindow);
    addChildComponent (notificationWindow);
    aboutWindow.setSize (getWidth(), getHeight());
    notificationWindow.setSize (getWidth(), getHeight());

    seenPresetName = processor.getCurrentPresetName();
    startTimer (timerIntervalMs);

    // At once rather than at the first tick, so the editor never shows an unscaled panel.
    followScale();
}

TanglefixPluginWindow::~TanglefixPluginWindow()
{
    stopTimer();

    if (aboutWindow.isVisible())
        aboutWindow.setVisible (false);

    if (notificationWindow.isVisible())
        notificationWindow.setVisible (false);

    juce::PopupMenu::dismissAllActiveMenus();
}

//==============================================================================
void TanglefixPluginWindow::setColours()
{
    lookAndFeel->setColourScheme (juce::Colour (LarkspanBrio::BrioLookAndFeel::darkColour),
                                  juce::Colour (LarkspanBrio::BrioLookAndFeel::lightColour));
}

void TanglefixPluginWindow::createTopBarAndButtons()
{
    background.setImage (loadPicture (BrioArt::background_png, BrioArt::background_pngSize));
    addAndMakeVisible (background);
    background.setBounds (0, 0, 650, 420);
    background.setInterceptsMouseClicks (false, false);

    const auto textColour = lookAndFeel->findColour (juce::Label::textColourId);
    logo = loadDrawing (BrioArt::logo_svg, BrioArt::logo_svgSize, textColour);

    if (logo != nullptr)
    {
        addAndMakeVisible (*logo);
        logo->setTransformToFit ({ 7.0f, 5.0f, 35.0f, 35.0f }, juce::RectanglePlacement::centred);
        logo->setInterceptsMouseClicks (false, false);
    }

    addAndMakeVisible (nameLabel);
    nameLabel.setName ("pluginName");
    nameLabel.setBounds (37, 2, 120, 44);
    nameLabel.setJustificationType (juce::Justification::left);
    nameLabel.setInterceptsMouseClicks (false, false);
    nameLabel.setText (juce::String (JucePlugin_Name).toUpperCase(), juce::dontSendNotification);

    presetBar.setImage (loadPicture (BrioArt::preset_bar_png, BrioArt::preset_bar_pngSize));
    addAndMakeVisible (presetBar);
    presetBar.setBounds (205, 10, 322, 28);
    presetBar.setInterceptsMouseClicks (false, false);

    const auto setUpCommand = [this] (LarkspanBrio::BrioButton& button, const void* normal, int normalSize,
                                      const void* down, int downSize, int x, int y)
    {
        addAndMakeVisible (button);
        button.setUpImageButton (loadPicture (normal, normalSize), loadPicture (down, downSize), x, y, this);
    };

    setUpCommand (previousButton, BrioArt::previous_png, BrioArt::previous_pngSize,
                  BrioArt::previous_down_png, BrioArt::previous_down_pngSize, 206, 11);
    setUpCommand (nextButton, BrioArt::next_png, BrioArt::next_pngSize,
                  BrioArt::next_down_png, BrioArt::next_down_pngSize, 206, 24);

    addAndMakeVisible (presetBrowser);
    presetBrowser.setBounds (228, 11, 202, 25);
    presetBrowser.addChangeListener (this);
    presetBrowser.rebuildMenu (false);
    presetBrowser.setPresetName (processor.getCurrentPresetName(), false, false);

    setUpCommand (saveButton, BrioArt::save_png, BrioArt::save_pngSize,
                  BrioArt::save_down_png, BrioArt::save_down_pngSize, 431, 11);
    setUpCommand (deleteButton, BrioArt::delete_png, BrioArt::delete_pngSize,
                  BrioArt::delete_down_png, BrioArt::delete_down_pngSize, 463, 11);
    setUpCommand (randomButton, BrioArt::random_png, BrioArt::random_pngSize,
                  BrioArt::random_down_png, BrioArt::random_down_pngSize, 495, 11);
    setUpCommand (newsButton, BrioArt::news_png, BrioArt::news_pngSize,
                  BrioArt::news_down_png, BrioArt::news_down_pngSize, 557, 13);
    newsButton.setClickingTogglesState (true);

    addAndMakeVisible (newsBadge);
    newsBadge.setBounds (newsButton.getX() + 12, newsButton.getY() - 3, 10, 12);
    newsBadge.setUnreadCount (processor.notifications.getNewCount());
    notificationWindow.setPanelPosition (newsButton.getX() + 19, newsButton.getY() + 3);

    setUpCommand (settingsButton, BrioArt::settings_png, BrioArt::settings_pngSize,
                  BrioArt::settings_down_png, BrioArt::settings_down_pngSize, 585, 13);

    parameterButtons.add (&bypassButton);
    addAndMakeVisible (bypassButton);
    bypassButton.setUpParameterToggle (processor.bypassParam,
                                       loadPicture (BrioArt::bypass_png, BrioArt::bypass_pngSize),
                                       loadPicture (BrioArt::bypass_down_png, BrioArt::bypass_down_pngSize), 613, 13);
    bypassButton.addListener (this);

    // Bypass is never randomised, so it offers no random lock either.
    bypassButton.randomLockEnabled = false;
    bypassButton.randomLocked = true;

    createLinksMenu();
}

void TanglefixPluginWindow::createLinksMenu()
{
    const auto colour = lookAndFeel->findColour (juce::Label::textColourId);

    linksMenu.clear();
    linksMenu.addItem (homePageId, getWebAddressText(), true, false,
                       loadDrawing (BrioArt::logo_svg, BrioArt::logo_svgSize, colour));
    linksMenu.addSeparator();
    linksMenu.addItem (instagramId, "Visit our Instagram", true, false,
                       loadDrawing (BrioArt::link_1_svg, BrioArt::link_1_svgSize, colour));
    linksMenu.addItem (twitterId, "Visit our Twitter", true, false,
                       loadDrawing (BrioArt::link_2_svg, BrioArt::link_2_svgSize, colour));
    linksMenu.addItem (facebookId, "Visit our Facebook", true, false,
                       loadDrawing (BrioArt::link_3_svg, BrioArt::link_3_svgSize, colour));
    linksMenu.addItem (youtubeId, "Visit our Youtube", true, false,
                       loadDrawing (BrioArt::link_4_svg, BrioArt::link_4_svgSize, colour));
}

void TanglefixPluginWindow::createKnobsAndLabels()
{
    // Decoded since the panel's construction began.
    const auto strips = filmstripLoader.takeImages();

    setUpKnob (frequencyKnob, processor.frequencyParam, strips[0], 149, { 27, 89 }, "FREQUENCY", { 1.0f, -20.0f });
    frequencyKnob.setMouseDragSensitivity (400);

    setUpKnob (emphasisKnob, processor.emphasisParam, strips[1], 65, { 350, 84 }, "EMPHASIS", { -4.0f, -30.0f });
    setUpKnob (gainKnob, processor.gainParam, strips[2], 65, { 499, 84 }, "GAIN", { -5.0f, -30.0f });
    setUpKnob (mixKnob, processor.mixParam, strips[3], 65, { 499, 236 }, "MIX", { -4.0f, -32.0f });
    setUpKnob (operationsKnob, processor.operationsParam, strips[4], 4, { 356, 235 }, {}, { -7.0f, -20.0f });

    TanglefixOperationsKnob::configure (operationsKnob);
    operationsKnob.showCaptionWhenIdle = false;
    operationsKnob.valueLabel.setText (operationsKnob.getTextFromValue (operationsKnob.getValue()),
                                       juce::dontSendNotification);
    operationsKnob.valueLabel.setEditable (false);

    const auto f = frequencyKnob.getBounds();
    const auto m = mixKnob.getBounds();
    const auto g = gainKnob.getBounds();
    const auto e = emphasisKnob.getBounds();
    const auto o = operationsKnob.getBounds();

    addCaption (frequencyLabel, "FREQUENCY", { f.getX() + 1, f.getBottom() - 9, f.getWidth(), 18 }, 18.0f, juce::Font::plain);
    addCaption (mixLabel, "MIX", { m.getX() - 5, m.getBottom() - 21, m.getWidth(), 16 }, 16.0f, juce::Font::plain);
    addCaption (gainLabel, "GAIN", { g.getX() - 5, g.getBottom() - 19, g.getWidth(), 16 }, 16.0f, juce::Font::plain);
    addCaption (emphasisLabel, "EMPHASIS", { (int) (e.getX() - 4.5), e.getBottom() - 19, e.getWidth(), 16 }, 16.0f,
                juce::Font::plain);
    addCaption (operationsValueLabel, {}, { o.getX() - 7, o.getBottom() - 9, o.getWidth(), 16 }, 18.0f, juce::Font::bold);
    refreshOperationsLabel();

    for (auto* knob : knobs)
        configureKnobDisplay (*knob);

    for (auto* button : parameterButtons)
    {
        button->addListener (this);
        button->addActionListener (this);
    }

    applyProcessorLocks();
}

void TanglefixPluginWindow::setUpKnob (LarkspanBrio::BrioKnob& knob, juce::AudioProcessorParameter* parameter,
                                       const juce::Image& filmstrip, int numFrames, juce::Point<int> position,
                                       const juce::String& caption, juce::Point<float> bubbleOffset)
{
    knobs.add (&knob);
    addAndMakeVisible (knob);
    knob.setup (parameter, filmstrip, numFrames, position.x, position.y);

    if (caption.isNotEmpty())
        knob.caption = caption;

    knob.bubbleOffsetX = bubbleOffset.x;
    knob.bubbleOffsetY = bubbleOffset.y;
}

void TanglefixPluginWindow::addCaption (juce::Label& label, const juce::String& text, juce::Rectangle<int> bounds,
                                        float height, int style)
{
    addAndMakeVisible (label);
    label.setJustificationType (juce::Justification::centred);
    label.setText (text, juce::dontSendNotification);
    label.setBounds (bounds);
    label.setFont (juce::Font (height, style));

    // Captions overlap the knobs' lower edges; the knobs must still get those clicks.
    label.setInterceptsMouseClicks (false, false);
}

void TanglefixPluginWindow::configureKnobDisplay (LarkspanBrio::BrioKnob& knob)
{
    knob.displayMode = LarkspanBrio::BrioKnob::bubbleMode;
    knob.valueLabel.setVisible (false);
    knob.bubbleParent = this;
    knob.popupDistance = 10;
    knob.popupArrowLength = -1;
    knob.addListener (this);
    knob.addActionListener (this);
    knob.popupPlacement = 2;
    knob.bubbleAlpha = 0.97f;
    knob.setLockIconStyle (3);
    knob.lockIndicator.setBounds (10, 10, 13, 13);
    knob.editBubbleWidth = 80;
}

//==============================================================================
void TanglefixPluginWindow::mouseDown (const juce::MouseEvent& e)
{
    // Only clicks on the panel itself or on children that let them through get here.
    if (nameArea.contains (e.getPosition()))
        linksMenu.showMenuAsync (juce::PopupMenu::Options(),
                                 juce::ModalCallbackFunction::forComponent (menuCallback, this, &linksButton));

    for (auto* knob : knobs)
        if (knob->editBubble != nullptr)
            knob->editBubble->startTimer (editBubbleCloseOnPanelClickMs);
}

void TanglefixPluginWindow::paint (juce::Graphics&)
{
}

//==============================================================================
void TanglefixPluginWindow::timerCallback()
{
    for (auto* knob : knobs)
        knob->updateFromParameter();

    refreshOperationsLabel();
    followParameterButtons();
    newsButton.setToggleState (notificationWindow.isVisible(), juce::dontSendNotification);
    followNewsCount();
    followLocksAndPreset();
    followScale();
}

void TanglefixPluginWindow::followNewsCount()
{
    // The news arrive from the network some time after the processor was made, often
    // after the editor opened; the badge would otherwise miss them until it is reopened.
    newsBadge.setUnreadCount (processor.notifications.getNewCount());
}

void TanglefixPluginWindow::followScale()
{
    const auto scale = processor.windowScale;

    if (! (scale > 0.0) || scale == lastAppliedScale)
        return;

    lastAppliedScale = scale;
    const auto size = TanglefixProcessorEditor::sizeForScale (scale);
    editor.setSize (size.getWidth(), size.getHeight());
    setTransform (juce::AffineTransform::scale ((float) scale));
}

void TanglefixPluginWindow::followParameterButtons()
{
    // Host automation, a state recall or a paste may have moved the parameter; a toggle
    // left behind would also make the next click write the value already there.
    for (auto* button : parameterButtons)
        if (button->parameter != nullptr)
            button->setToggleState (button->parameter->getValue() > 0.5f, juce::dontSendNotification);
}

void TanglefixPluginWindow::followLocksAndPreset()
{
    if (processor.getLockedParameterNames() != seenLockedNames || processor.getRandomLockFlags() != seenRandomLocks)
        applyProcessorLocks();

    if (const auto name = processor.getCurrentPresetName(); name != seenPresetName)
    {
        seenPresetName = name;
        presetBrowser.setPresetName (seenPresetName, false, false);
    }
}

void TanglefixPluginWindow::refreshOperationsLabel()
{
    if (auto* parameter = processor.operationsParam)
        operationsValueLabel.setText (parameter->getText (parameter->getValue(), maxOperationsTextLength),
                                      juce::dontSendNotification);
}

//==============================================================================
void TanglefixPluginWindow::sliderValueChanged (juce::Slider* slider)
{
    for (auto* knob : knobs)
        if (knob == slider && knob->parameter != nullptr)
            knob->parameter->setValueNotifyingHost ((float) knob->getValue());

    if (slider == &operationsKnob)
        refreshOperationsLabel();
}

void TanglefixPluginWindow::sliderDragStarted (juce::Slider* slider)
{
    for (auto* knob : knobs)
        if (knob == slider && knob->parameter != nullptr)
            knob->parameter->beginChangeGesture();
}

void TanglefixPluginWindow::sliderDragEnded (juce::Slider* slider)
{
    for (auto* knob : knobs)
        if (knob == slider && knob->parameter != nullptr)
            knob->parameter->endChangeGesture();
}

void TanglefixPluginWindow::buttonClicked (juce::Button* button)
{
    if (button == &settingsButton)
    {
        buildSettingsMenu();
        settingsMenu.showMenuAsync (juce::PopupMenu::Options(),
                                    juce::ModalCallbackFunction::forComponent (menuCallback, this, &settingsButton));
    }
    else if (button == &newsButton)     showNews();
    else if (button == &previousButton) presetBrowser.selectPrevious();
    else if (button == &nextButton)     presetBrowser.selectNext();
    else if (button == &saveButton)     presetCommands.save();
    else if (button == &deleteButton)   presetCommands.deleteCurrent();
    else if (button == &randomButton)   randomiseKnobs();

    for (auto* parameterButton : parameterButtons)
    {
        if (parameterButton == button && parameterButton->parameter != nullptr)
        {
            auto* parameter = parameterButton->parameter;
            parameter->beginChangeGesture();
            parameter->setValueNotifyingHost (parameterButton->getToggleState() ? 1.0f : 0.0f);
            parameter->endChangeGesture();
        }
    }
}

void TanglefixPluginWindow::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &presetBrowser)
        return;

    const auto path = presetBrowser.getCurrentPresetPath();

    if (const auto loaded = processor.loadPresetFile (path); loaded.failed())
    {
        // The previous preset is still the one in effect: the browser shows it again.
        presetBrowser.setPresetName (processor.getCurrentPresetName(), false, false);

        if (path.isNotEmpty())
            presetCommands.tellNotLoaded (path, loaded.getErrorMessage());
    }

    seenPresetName = processor.getCurrentPresetName();

    for (auto* knob : knobs)
        knob->updateFromParameter();

    refreshOperationsLabel();
    followParameterButtons();
}

//==============================================================================
void TanglefixPluginWindow::buildSettingsMenu()
{
    const auto factor = processor.oversamplingFactor;
    const auto scale = processor.windowScale;

    juce::PopupMenu oversample;
    const char* oversampleTexts[numOversampleItems] = { "Off", "2x", "4x", "8x", "16x" };

    for (int i = 0; i < numOversampleItems; ++i)
        oversample.addItem (oversampleOffId + i, oversampleTexts[i], true, factor == (1 << i));

    juce::PopupMenu windowSize;
    windowSize.addItem (windowSmallId, "Small", true, scale >= 0.5 && scale < 0.99);
    windowSize.addItem (windowSmallId + 1, "Standard", true, scale >= 0.99 && scale <= 1.01);
    windowSize.addItem (windowSmallId + 2, "Big", true, scale > 1.01 && scale <= 2.0);

    juce::PopupMenu copyPaste;
    copyPaste.addItem (copyPresetId, "Copy to Clipboard");
    copyPaste.addItem (pastePresetId, "Paste from Clipboard");

    settingsMenu.clear();
    settingsMenu.addItem (morePluginsId, "Get More Plugins!");
    settingsMenu.addSeparator();
    settingsMenu.addItem (limiterId, "Limiter", true, processor.limiterOn.load());
    settingsMenu.addSubMenu ("Oversample", oversample);
    settingsMenu.addSeparator();
    settingsMenu.addSubMenu ("Window Size", windowSize);
    settingsMenu.addSubMenu ("Preset Copy/Paste", copyPaste);
    settingsMenu.addSeparator();
    settingsMenu.addItem (aboutId, "About");
}

void TanglefixPluginWindow::menuCallback (int result, TanglefixPluginWindow* window, LarkspanBrio::BrioButton* button)
{
    if (result == 0 || window == nullptr)
        return;

    if (button == &window->settingsButton)
        window->handleSettingsMenuResult (result);
    else if (button == &window->linksButton)
        window->handleLinksMenuResult (result);
}

void TanglefixPluginWindow::handleSettingsMenuResult (int result)
{
    if (result >= oversampleOffId && result < oversampleOffId + numOversampleItems)
    {
        processor.setOversamplingFactor (1 << (result - oversampleOffId));
    }
    else if (result >= windowSmallId && result <= windowSmallId + 2)
    {
        const double scales[] = { 0.75, 1.0, 1.25 };
        processor.windowScale = scales[result - windowSmallId];

        auto& store = processor.settings;
        store.loadGlobalSettings (true);
        store.setGlobalValue ("WindowSize", TanglefixProcessorEditor::storableScale (processor.windowScale), false);
        store.saveGlobalSettings();
    }
    else if (result == copyPresetId)  processor.copySettingsToClipboard();
    else if (result == pastePresetId) processor.pasteSettingsFromClipboard();
    else if (result == morePluginsId) openLink (result);
    else if (result == aboutId)       aboutWindow.show (1);
    else if (result == limiterId)     processor.limiterOn.store (! processor.limiterOn.load());
}

void TanglefixPluginWindow::handleLinksMenuResult (int result)
{
    if (result >= homePageId && result <= youtubeId)
        openLink (result);
}

juce::String TanglefixPluginWindow::getLinkAddress (int itemId)
{
    const juce::String site (JucePlugin_ManufacturerWebsite);

    switch (itemId)
    {
        case morePluginsId: return site + "/plugins";
        case homePageId:    return site;
        case twitterId:     return "https://twitter.com/larkspan";
        case facebookId:    return "https://www.facebook.com/larkspan";
        case instagramId:   return "https://www.instagram.com/larkspan";
        case youtubeId:     return "https://www.youtube.com/@larkspan";
        default:            return {};
    }
}

void TanglefixPluginWindow::openLink (int itemId)
{
    // The launcher tells the user itself when the page can't be opened.
    launcher.open (getLinkAddress (itemId));
}

//==============================================================================
void TanglefixPluginWindow::showNews()
{
    notificationWindow.clearNotifications();

    const auto records = processor.notifications.getRecords();

    for (const auto& record : records)
        notificationWindow.addNotification (record.title, record.message, record.link, record.id);

    if (records.isEmpty())
        notificationWindow.addNotification ("No News Today", "Please, check back later to get news and updates.",
                                            "#", "nonews");

    notificationWindow.showWindow (1);
    newsBadge.setUnreadCount (0);
    newsBadge.repaint();
    processor.notifications.saveReadState();
}

void TanglefixPluginWindow::randomiseKnobs()
{
    for (auto* knob : knobs)
    {
        if (knob->randomLocked)
            continue;

        const auto value = std::floor (randomGenerator.nextFloat() * 100.0f) / 100.0f;
        auto* parameter = knob->parameter;

        // Hosts in touch or latch mode drop or undo a change that comes without a gesture;
        // the notification is synchronous so that the value arrives inside it.
        if (parameter != nullptr)
            parameter->beginChangeGesture();

        knob->setValue (value, juce::sendNotificationSync);

        if (parameter != nullptr)
            parameter->endChangeGesture();

        if (knob->valueLabel.isVisible())
            knob->valueLabel.setText (knob->getTextFromValue (knob->getValue()), juce::dontSendNotification);
    }
}

//==============================================================================
void TanglefixPluginWindow::actionListenerCallback (const juce::String& message)
{
    if (message == LarkspanBrio::BrioLockMenu::lockUpdateMessage)
        storeLockedParameters();
    else if (message == LarkspanBrio::BrioLockMenu::lockAllMessage)
        setLocks (true, false);
    else if (message == LarkspanBrio::BrioLockMenu::unlockAllMessage)
        setLocks (false, false);

    if (message == "LockRandomUpdate")
        storeRandomLocks();
    else if (message == "LockRandomAll")
        setLocks (true, true);
    else if (message == "unLockRandomAll")
        setLocks (false, true);
}

void TanglefixPluginWindow::setLocks (bool lock, bool randomOnly)
{
    for (auto& control : getLockableControls())
    {
        if (control.lockEnabled && ! randomOnly)
        {
            control.locked = lock;
            control.lockIndicator.setVisible (lock);
        }

        if (control.randomLockEnabled)
            control.randomLocked = lock;
    }

    if (randomOnly)
        storeRandomLocks();
    else
        storeLockedParameters();
}

void TanglefixPluginWindow::storeLockedParameters()
{
    juce::StringArray names;

    for (auto& control : getLockableControls())
        if (control.parameter != nullptr && control.locked)
            names.add (control.parameter->getName (maxNameLength));

    processor.setLockedParameterNames (names);
    seenLockedNames = names;

    // "Lock" and "Lock All" also set the random locks; without this copy they would be
    // gone at the next opening, and Randomise would move knobs the user had locked.
    storeRandomLocks();
}

void TanglefixPluginWindow::storeRandomLocks()
{
    const auto controls = getLockableControls();
    auto flags = processor.getRandomLockFlags();

    for (size_t i = 0; i < controls.size() && i < flags.size(); ++i)
        flags[i] = controls[i].randomLocked;

    processor.setRandomLockFlags (flags);
    seenRandomLocks = flags;
}

void TanglefixPluginWindow::applyProcessorLocks()
{
    const auto controls = getLockableControls();
    const auto names = processor.getLockedParameterNames();
    const auto flags = processor.getRandomLockFlags();

    for (size_t i = 0; i < controls.size(); ++i)
    {
        auto& control = controls[i];
        const bool listed = control.parameter != nullptr
                         && names.contains (control.parameter->getName (maxNameLength));

        if (control.lockEnabled)
        {
            control.locked = listed;
            control.lockIndicator.setVisible (listed);
        }

        if (control.randomLockEnabled && i < flags.size())
            control.randomLocked = flags[i];
    }

    seenLockedNames = names;
    seenRandomLocks = flags;
}

std::vector<TanglefixPluginWindow::LockableControl> TanglefixPluginWindow::getLockableControls()
{
    std::vector<LockableControl> controls;

    for (auto* knob : knobs)
        controls.push_back ({ knob->parameter, knob->lockEnabled, knob->locked, knob->randomLockEnabled,
                              knob->randomLocked, knob->lockIndicator });

    for (auto* button : parameterButtons)
        controls.push_back ({ button->parameter, button->lockEnabled, button->locked, button->randomLockEnabled,
                              button->randomLocked, button->lockIndicator });

    return controls;
}
