#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "BrioBubble.h"

//==============================================================================
/**
    The about overlay: dims the main window and shows a panel with the logo, the
    product's name and version and the credits. It fades in and out in steps of a
    15 ms timer and closes on a click outside the logo. Clicking the logo again and
    again brings up a bubble whose text changes at certain counts.
*/
class AboutWindow  : public juce::Component,
                     private juce::MultiTimer
{
public:
    static constexpr int fadeInTimerId = 10;
    static constexpr int fadeOutTimerId = 20;
    static constexpr int fadeStepMs = 15;

    AboutWindow();
    ~AboutWindow() override;

    /** Lays the panel out again and fades it in, unless it is already shown or on its
        way in; that many clicks outside the logo close it. */
    void show (int numClicksToClose);

    /** Places and fills every child; the logo is made anew each time. */
    void layoutAndText();

    const BrioBubble& getBubble() const noexcept          { return bubble; }
    juce::Rectangle<int> getLogoStrip() const noexcept;
    int getLogoClickCount() const noexcept                { return logoClickCount; }
    bool isFading (int timerId) const                      { return isTimerRunning (timerId); }

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    void timerCallback (int timerId) override;
    void logoClicked();
    void closeClicked();

    std::unique_ptr<juce::Drawable> logo;
    juce::Label nameLabel, versionLabel, codeHeadingLabel, designHeadingLabel,
                codeCreditLabel, designCreditLabel, footerLabel;
    BrioBubble bubble;
    const int panelWidth = 240;
    const int panelHeight = 250;
    int panelX = 1, panelY = 1;
    int clickCount = 0;
    int clicksToClose = 1;
    int logoClickCount = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutWindow)
};
