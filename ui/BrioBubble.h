#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/**
    A small rounded box with one line of text, shown and hidden with fades. A click
    on it fades it out; every fade it makes is announced with a change message.
*/
class BrioBubble  : public juce::Component,
                    public juce::ChangeBroadcaster
{
public:
    static constexpr int fadeMs = 300;

    BrioBubble();
    ~BrioBubble() override;

    void setText (const juce::String& newText);
    const juce::String& getText() const noexcept    { return text; }

    void setFont (const juce::Font& newFont);

    /** Fades the bubble in and announces it. */
    void fadeIn();

    /** True while the bubble is visible and not fully transparent. */
    bool isShown() const;

    /** Fades the bubble out and announces it, if it is shown at all. */
    void fadeOutIfShown();

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    juce::Font font;
    juce::String text;
    juce::ComponentAnimator animator;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioBubble)
};
