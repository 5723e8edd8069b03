#include "BrioBubble.h"

BrioBubble::BrioBubble()
{
    setAlwaysOnTop (true);
    setAlpha (0.0f);
    setVisible (false);
}

BrioBubble::~BrioBubble() = default;

void BrioBubble::setText (const juce::String& newText)
{
    text = newText;
    repaint();
}

void BrioBubble::setFont (const juce::Font& newFont)
{
    if (font != newFont)
    {
        font = newFont;
        repaint();
    }
}

void BrioBubble::fadeIn()
{
    animator.fadeIn (this, fadeMs);
    sendChangeMessage();
}

bool BrioBubble::isShown() const
{
    // A fade-out hides the bubble at once and lets a stand-in fade, leaving the alpha
    // at 1 until it ends (or for good when nothing is on screen to animate).
    return isVisible() && getAlpha() > 0.0f;
}

void BrioBubble::fadeOutIfShown()
{
    if (isShown())
    {
        animator.fadeOut (this, fadeMs);
        sendChangeMessage();
    }
}

void BrioBubble::paint (juce::Graphics& g)
{
    const juce::Rectangle<float> box (0.5f, 0.5f, (float) getWidth() - 1.0f, (float) getHeight() - 1.0f);

    g.setColour (findColour (juce::BubbleComponent::backgroundColourId));
    g.fillRoundedRectangle (box, 4.0f);
    g.setColour (findColour (juce::BubbleComponent::outlineColourId));
    g.drawRoundedRectangle (box, 4.0f, 1.0f);

    g.setFont (font);
    g.setColour (findColour (juce::TooltipWindow::textColourId, true));
    g.drawFittedText (text, getLocalBounds(), juce::Justification::centred, 1, 0.0f);
}

void BrioBubble::mouseDown (const juce::MouseEvent&)
{
    fadeOutIfShown();
}
