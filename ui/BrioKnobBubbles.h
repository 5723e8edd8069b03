#pragma once

#include "BrioKnob.h"

namespace LarkspanBrio
{

//==============================================================================
/**
    What the value bubble and the Edit Value bubble have in common: a rounded box in the
    knob's bubble colours that fades in when shown and fades out when its timer fires.
*/
class BrioKnobFadingBubble  : public juce::Component,
                              public juce::Timer
{
public:
    BrioKnobFadingBubble (BrioKnob& ownerKnob, float alphaWhenShown);

    /** Hides the bubble with a 300 ms fade-out (of a snapshot in its place). */
    void closeBubble();

    /** Shows a hidden bubble with a 300 ms fade-in; a bubble that is showing, or fading
        in, keeps going, but a close it was waiting for is cancelled. */
    void showWithFade();

    void timerCallback() override;

    juce::ComponentAnimator animator;
    BrioKnob& owner;
    float targetAlpha;

    static constexpr int fadeMilliseconds = 300;

protected:
    void paintBox (juce::Graphics&) const;
};

//==============================================================================
/** The rounded value bubble of display mode 2, under the knob. */
class BrioKnob::BrioBubbleKnob  : public BrioKnobFadingBubble
{
public:
    BrioBubbleKnob (BrioKnob& ownerKnob, float alphaWhenShown);

    /** Takes the knob's value text and places itself under the knob. */
    void refresh();

    void paint (juce::Graphics&) override;

    juce::Font font;
    juce::String text;
};

//==============================================================================
/** The popup display of display mode 1: a bubble whose arrow points at the knob. It
    deletes itself when its timer fires. */
class BrioKnob::PopupDisplayComponent  : public juce::BubbleComponent,
                                         public juce::Timer
{
public:
    PopupDisplayComponent (BrioKnob& ownerKnob, float alphaWhenShown);

    void getContentSize (int& width, int& height) override;
    void paintContent (juce::Graphics&, int width, int height) override;
    void timerCallback() override;

    BrioKnob& owner;
    juce::Font font;
    juce::String text;
    float targetAlpha;
};

//==============================================================================
/** The "Edit Value" bubble: a text field under the knob that sets the parameter from
    what is typed, and stays open for another entry. */
class BrioKnob::BrioBubbleEditValueKnob  : public BrioKnobFadingBubble,
                                           private juce::TextEditor::Listener
{
public:
    BrioBubbleEditValueKnob (BrioKnob& ownerKnob, float alphaWhenShown);
    ~BrioBubbleEditValueKnob() override;

    /** Shows the parameter's text and places itself under the knob. */
    void refresh();

    void paint (juce::Graphics&) override;

    static constexpr int height = 28;

    juce::TextEditor editor;

private:
    void textEditorTextChanged (juce::TextEditor&) override;
    void textEditorReturnKeyPressed (juce::TextEditor&) override;
    void textEditorEscapeKeyPressed (juce::TextEditor&) override;
    void textEditorFocusLost (juce::TextEditor&) override;

    void showParameterText();
};

} // namespace LarkspanBrio
