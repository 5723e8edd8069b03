#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <TanglefixAudioProcessor.h>

#include "AboutWindow.h"
#include "BrioButton.h"
#include "BrioImageLoader.h"
#include "BrioKnob.h"
#include "BrioLauncher.h"
#include "BrioLookAndFeel.h"
#include "BrioTopNotificationAmount.h"
#include "ComboboxSubmenu.h"
#include "NotificationWindow.h"
#include "TanglefixPresetCommands.h"

#include <memory>
#include <vector>

class TanglefixProcessorEditor;

//==============================================================================
/**
    The editor's main panel, always laid out at 650 x 420: the background, the top bar
    with the preset browser and the command buttons, the five knobs with their captions,
    and the news and about overlays above everything.

    It follows the processor by polling: a 65 ms timer brings the knobs, the Bypass
    toggle, the locks, the preset name and the editor's scale up to date, so that
    automation, state recalls and pastes show without the processor ever calling the
    editor. Controls report back through listeners and lock messages, which the panel
    turns into parameter changes (inside change gestures) and into the processor's lock
    lists.

    Message thread only.
*/
class TanglefixPluginWindow  : public juce::Component,
                               public juce::Slider::Listener,
                               public juce::ChangeListener,
                               public juce::Button::Listener,
                               public juce::ActionListener,
                               public juce::Timer
{
public:
    static constexpr int timerIntervalMs = 65;

    /** Ids of the settings menu's items. */
    enum SettingsMenuIds
    {
        morePluginsId   = 999,
        limiterId       = 2100,
        oversampleOffId = 30,       // 30..34: off, 2x, 4x, 8x, 16x
        windowSmallId   = 880,      // 880..882: small, standard, big
        copyPresetId    = 777,
        pastePresetId   = 778,
        aboutId         = 2002
    };

    /** Ids of the links menu's items. */
    enum LinksMenuIds
    {
        homePageId  = 1000,
        twitterId   = 1001,
        facebookId  = 1002,
        instagramId = 1003,
        youtubeId   = 1004
    };

    TanglefixPluginWindow (TanglefixAudioProcessor&, TanglefixProcessorEditor&);
    ~TanglefixPluginWindow() override;

    //==============================================================================
    void buildSettingsMenu();
    void handleSettingsMenuResult (int result);
    void handleLinksMenuResult (int result);

    /** Where a menu's result goes; bound to the window, so a result that arrives after
        the window is gone does nothing. */
    static void menuCallback (int result, TanglefixPluginWindow* window, LarkspanBrio::BrioButton* button);

    /** The web address behind a links or settings menu item; empty for other ids. */
    static juce::String getLinkAddress (int itemId);

    void showNews();
    void randomiseKnobs();
    void storeLockedParameters();
    void storeRandomLocks();

    //==============================================================================
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;

    void timerCallback() override;
    void sliderValueChanged (juce::Slider*) override;
    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void actionListenerCallback (const juce::String& message) override;

private:
    // First, so that the filmstrips decode while everything else is built.
    BrioImageLoader filmstripLoader;

    // Every child is made and destroyed while the look and feel is the default.
    juce::SharedResourcePointer<LarkspanBrio::BrioLookAndFeel> lookAndFeel;

public:
    //==============================================================================
    // The children, open to the tests and the host's pictures.
    AboutWindow aboutWindow;
    NotificationWindow notificationWindow { 300 };
    juce::ImageComponent background;
    juce::ImageComponent presetBar;
    juce::Label nameLabel;
    std::unique_ptr<juce::Drawable> logo;
    LarkspanBrio::ComboboxSubmenu presetBrowser;
    LarkspanBrio::BrioTopNotificationAmount newsBadge;
    LarkspanBrio::BrioButton linksButton, previousButton, nextButton, saveButton, deleteButton,
                             randomButton, newsButton, settingsButton, bypassButton;

    LarkspanBrio::BrioKnob frequencyKnob { {} }, emphasisKnob { {} }, operationsKnob { {} },
                           gainKnob { {} }, mixKnob { {} };

    /** Frequency, Emphasis, Gain, Mix, Operations: the order of the random lock flags. */
    juce::Array<LarkspanBrio::BrioKnob*> knobs;

    /** The buttons bound to a parameter: Bypass. */
    juce::Array<LarkspanBrio::BrioButton*> parameterButtons;

    juce::Label frequencyLabel, emphasisLabel, operationsValueLabel, gainLabel, mixLabel;

    juce::PopupMenu linksMenu, settingsMenu;
    TanglefixPresetCommands presetCommands;

private:
    void setColours();
    void createTopBarAndButtons();
    void createLinksMenu();
    void createKnobsAndLabels();
    void setUpKnob (LarkspanBrio::BrioKnob&, juce::AudioProcessorParameter*, const juce::Image& filmstrip,
                    int numFrames, juce::Point<int> position, const juce::String& caption, juce::Point<float> bubbleOffset);
    void addCaption (juce::Label&, const juce::String& text, juce::Rectangle<int> bounds, float height, int style);
    void configureKnobDisplay (LarkspanBrio::BrioKnob&);

    void followScale();
    void followParameterButtons();
    void followNewsCount();
    void followLocksAndPreset();
    void applyProcessorLocks();
    void setLocks (bool lock, bool randomOnly);
    void refreshOperationsLabel();
    void openLink (int itemId);

    /** A control's flags and indicator, whichever kind it is. */
    struct LockableControl
    {
        juce::AudioProcessorParameter* parameter;
        bool& lockEnabled;
        bool& locked;
        bool& randomLockEnabled;
        bool& randomLocked;
        juce::Component& lockIndicator;
    };

    /** Knobs first, then the parameter buttons: the order of the random lock flags. */
    std::vector<LockableControl> getLockableControls();

    double lastAppliedScale = 1.0;
    juce::Random randomGenerator;
    BrioLauncher launcher;
    TanglefixAudioProcessor& processor;
    TanglefixProcessorEditor& editor;

    // What the panel last took from the processor's lock lists and preset name; a
    // difference means someone else (a state recall) changed them.
    juce::StringArray seenLockedNames;
    TanglefixAudioProcessor::RandomLockFlags seenRandomLocks {};
    juce::String seenPresetName;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TanglefixPluginWindow)
};
