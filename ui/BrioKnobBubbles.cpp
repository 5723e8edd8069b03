#include "BrioKnobBubbles.h"

namespace LarkspanBrio
{

namespace
{
    void drawFittedText (juce::Graphics& g, const juce::Component& owner, const juce::Font& font,
                         const juce::String& text, int width, int height)
    {
        g.setFont (font);
        g.setColour (owner.findColour (juce::TooltipWindow::textColourId, true));
        g.drawFittedText (text, 0, 0, width, height, juce::Justification::centred, 1, 0.0f);
    }

    void takeOwnersLook (juce::Component& bubble, BrioKnob& owner)
    {
        bubble.setLookAndFeel (&owner.getLookAndFeel());
        bubble.setAlwaysOnTop (true);
    }
}

//==============================================================================
BrioKnobFadingBubble::BrioKnobFadingBubble (BrioKnob& ownerKnob, float alphaWhenShown)
    : owner (ownerKnob), targetAlpha (alphaWhenShown)
{
    takeOwnersLook (*this, owner);
    setAlpha (0.0f);
    setVisible (false);
}

void BrioKnobFadingBubble::showWithFade()
{
    // A show always cancels a pending close; a bubble already on its way in carries on.
    stopTimer();

    if (getAlpha() == 0.0f)
    {
        setVisible (true);
        animator.animateComponent (this, getBounds(), targetAlpha, fadeMilliseconds, false, 1.0, 1.0);
    }
}

void BrioKnobFadingBubble::closeBubble()
{
    stopTimer();

    // A bubble that has only just begun to fade in is still at opacity 0, yet about to
    // appear: it must close too.
    if (getAlpha() > 0.0f || animator.isAnimating (this))
    {
        if (isShowing())
        {
            // A snapshot fades out in its place; JUCE brings the opacity to 0 at the end.
            animator.fadeOut (this, fadeMilliseconds);
        }
        else
        {
            // Off screen (its window hidden, say) there is nothing to fade, and the next
            // show fades in only from opacity 0: without this it would stay invisible.
            animator.cancelAnimation (this, false);
            setAlpha (0.0f);
            setVisible (false);
        }
    }

    stopTimer();
}

void BrioKnobFadingBubble::timerCallback()
{
    closeBubble();
}

void BrioKnobFadingBubble::paintBox (juce::Graphics& g) const
{
    const auto box = getLocalBounds().toFloat().reduced (0.5f);

    g.setColour (owner.findColour (juce::BubbleComponent::backgroundColourId));
    g.fillRoundedRectangle (box, 4.0f);
    g.setColour (owner.findColour (juce::BubbleComponent::outlineColourId));
    g.drawRoundedRectangle (box, 4.0f, 1.0f);
}

//==============================================================================
BrioKnob::BrioBubbleKnob::BrioBubbleKnob (BrioKnob& ownerKnob, float alphaWhenShown)
    : BrioKnobFadingBubble (ownerKnob, alphaWhenShown),
      font (ownerKnob.getLookAndFeel().getSliderPopupFont (ownerKnob))
{
}

void BrioKnob::BrioBubbleKnob::refresh()
{
    text = owner.getValueText();
    setBounds (owner.getValueBubbleBounds (font.getStringWidth (text), font.getHeight()));
    repaint();
}

void BrioKnob::BrioBubbleKnob::paint (juce::Graphics& g)
{
    paintBox (g);
    drawFittedText (g, owner, font, text, getWidth(), getHeight());
}

//==============================================================================
BrioKnob::PopupDisplayComponent::PopupDisplayComponent (BrioKnob& ownerKnob, float alphaWhenShown)
    : owner (ownerKnob),
      font (ownerKnob.getLookAndFeel().getSliderPopupFont (ownerKnob)),
      targetAlpha (alphaWhenShown)
{
    takeOwnersLook (*this, owner);
    setAllowedPlacement (owner.getLookAndFeel().getSliderPopupPlacement (owner));
    setAlpha (targetAlpha);
}

void BrioKnob::PopupDisplayComponent::getContentSize (int& width, int& height)
{
    width = font.getStringWidth (text) + 18;
    height = (int) (font.getHeight() * 1.6f);
}

void BrioKnob::PopupDisplayComponent::paintContent (juce::Graphics& g, int width, int height)
{
    drawFittedText (g, owner, font, text, width, height);
}

void BrioKnob::PopupDisplayComponent::timerCallback()
{
    // Deletes this popup; nothing of it may be touched afterwards.
    owner.popupDisplay.reset();
}

//==============================================================================
BrioKnob::BrioBubbleEditValueKnob::BrioBubbleEditValueKnob (BrioKnob& ownerKnob, float alphaWhenShown)
    : BrioKnobFadingBubble (ownerKnob, alphaWhenShown)
{
    setWantsKeyboardFocus (true);

    addAndMakeVisible (editor);
    editor.setJustification (juce::Justification::centred);
    editor.setText ("0", false);
    editor.addListener (this);
    editor.setWantsKeyboardFocus (true);
    editor.setFont (juce::Font (16.0f));
}

BrioKnob::BrioBubbleEditValueKnob::~BrioBubbleEditValueKnob()
{
    editor.removeListener (this);
}

void BrioKnob::BrioBubbleEditValueKnob::refresh()
{
    const auto bounds = owner.getEditBubbleBounds();
    setBounds (bounds);
    editor.setBounds (bounds.withZeroOrigin());
    showParameterText();
    repaint();
}

void BrioKnob::BrioBubbleEditValueKnob::showParameterText()
{
    if (auto* p = owner.parameter)
        editor.setText (p->getText (p->getValue(), 12), false);
}

void BrioKnob::BrioBubbleEditValueKnob::paint (juce::Graphics& g)
{
    paintBox (g);
}

void BrioKnob::BrioBubbleEditValueKnob::textEditorTextChanged (juce::TextEditor&) {}

void BrioKnob::BrioBubbleEditValueKnob::textEditorReturnKeyPressed (juce::TextEditor&)
{
    if (auto* p = owner.parameter)
    {
        // A host records automation only inside a gesture; a typed value is one whole
        // gesture of its own.
        const auto newValue = p->getValueForText (editor.getText());
        p->beginChangeGesture();
        p->setValueNotifyingHost (newValue);
        p->endChangeGesture();
    }

    // The parameter's own text for what it took, ready for the next entry.
    showParameterText();
    editor.grabKeyboardFocus();
    editor.selectAll();
}

void BrioKnob::BrioBubbleEditValueKnob::textEditorEscapeKeyPressed (juce::TextEditor&)
{
    startTimer (250);
}

void BrioKnob::BrioBubbleEditValueKnob::textEditorFocusLost (juce::TextEditor&)
{
    startTimer (500);
}

} // namespace LarkspanBrio
