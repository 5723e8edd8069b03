#include "AboutWindow.h"
#include "BrioLookAndFeel.h"

#include <BrioArt.h>

namespace
{
    const juce::String buildNumber ("4439");
    const juce::String firstBubbleText ("You are uncommonly curious!");

    constexpr int logoTop = 11;
    constexpr float logoHeight = 48.0f;

    /** What the bubble says after that many clicks on the logo. */
    struct BubbleLine
    {
        int clicks;
        const char* text;
    };

    constexpr BubbleLine bubbleLines[] = {
        { 6,  "Look behind you,\na Three-Headed Monkey!" },
        { 8,  "Banana Hammock." },
        { 10, "What happens if you\nclick it 42 times?" },
        { 40, "The answer is..." },
        { 42, "42" },
    };

    constexpr int clicksToShowBubble = 4;

    void placeLabel (juce::Component& parent, juce::Label& label, juce::Rectangle<int> bounds,
                     const juce::Font& font, const juce::String& text)
    {
        parent.addAndMakeVisible (label);
        label.setBounds (bounds);
        label.setFont (font);
        label.setJustificationType (juce::Justification::centred);
        label.setInterceptsMouseClicks (false, false);
        label.setText (text, juce::dontSendNotification);
    }
}

//==============================================================================
AboutWindow::AboutWindow()
{
    setAlwaysOnTop (true);
}

AboutWindow::~AboutWindow()
{
    bubble.removeMouseListener (this);
}

//==============================================================================
juce::Rectangle<int> AboutWindow::getLogoStrip() const noexcept
{
    return { panelX, panelY + logoTop, panelWidth, (int) logoHeight };
}

void AboutWindow::layoutAndText()
{
    const auto px = panelX, py = panelY, pw = panelWidth;

    logo = juce::Drawable::createFromImageData (BrioArt::logo_svg, BrioArt::logo_svgSize);

    if (logo != nullptr)
    {
        addAndMakeVisible (*logo);
        logo->setTransformToFit ({ (float) px, (float) (py + logoTop), (float) pw, logoHeight },
                                 juce::RectanglePlacement::centred);
        logo->replaceColour (juce::Colours::black, findColour (juce::Label::textColourId));
    }

    const juce::Font bold18 (18.0f, juce::Font::bold), plain14 (14.0f, juce::Font::plain),
                     bold16 (16.0f, juce::Font::bold), plain16 (16.0f, juce::Font::plain);

    placeLabel (*this, nameLabel,          { px, py + 73,  pw, 20 }, bold18,  "Tanglefix");
    placeLabel (*this, versionLabel,       { px, py + 93,  pw, 20 }, plain14,
                "Version " + juce::String (JucePlugin_VersionString) + " (build " + buildNumber + ")");
    placeLabel (*this, codeHeadingLabel,   { px, py + 125, pw, 22 }, bold16,  "DSP & Code");
    placeLabel (*this, codeCreditLabel,    { px, py + 141, pw, 22 }, plain16, "Larkspan");
    placeLabel (*this, designHeadingLabel, { px, py + 170, pw, 22 }, bold16,  "Design");
    placeLabel (*this, designCreditLabel,  { px, py + 186, pw, 22 }, plain16, "Larkspan");
    placeLabel (*this, footerLabel,        { px, py + 220, pw, 22 }, plain16, "larkspan.com");

    addChildComponent (bubble);
    bubble.setBounds (px + 15, py + 78, pw - 30, 38);
    bubble.setText (firstBubbleText);
    bubble.setFont (plain16);
    bubble.addMouseListener (this, true);
}

//==============================================================================
void AboutWindow::show (int numClicksToClose)
{
    resized();

    if (isTimerRunning (fadeInTimerId))
        return;

    // Right after a close click the alpha is still 1 until the fade-out's first step;
    // this show must still stop the fade-out, or the window closes after all.
    if (getAlpha() == 1.0f && isVisible() && ! isTimerRunning (fadeOutTimerId))
        return;

    stopTimer (fadeOutTimerId);
    setAlpha (0.0f);
    setVisible (true);
    startTimer (fadeInTimerId, fadeStepMs);

    clickCount = 0;
    clicksToClose = numClicksToClose;
    logoClickCount = 0;

    bubble.fadeOutIfShown();
}

void AboutWindow::timerCallback (int timerId)
{
    if (timerId == fadeInTimerId)
    {
        setAlpha ((float) (getAlpha() + 0.1));

        if (getAlpha() >= 1.0f)
            stopTimer (fadeInTimerId);
    }
    else if (timerId == fadeOutTimerId)
    {
        setAlpha ((float) (getAlpha() - 0.1));

        if (getAlpha() <= 0.0f)
        {
            setVisible (false);
            stopTimer (fadeOutTimerId);
        }
    }
}

//==============================================================================
void AboutWindow::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha (0.4f));

    const juce::Rectangle<float> panel ((float) panelX + 0.5f, (float) panelY + 0.5f,
                                        (float) (panelWidth - 1), (float) (panelHeight - 1));

    g.setColour (findColour (LarkspanBrio::BrioLookAndFeel::panelBackgroundColourId).withAlpha (0.85f));
    g.fillRoundedRectangle (panel, 4.0f);
    g.setColour (findColour (LarkspanBrio::BrioLookAndFeel::panelOutlineColourId));
    g.drawRoundedRectangle (panel, 4.0f, 1.0f);
}

void AboutWindow::resized()
{
    panelX = (getWidth() - panelWidth) / 2;
    panelY = (getHeight() - panelHeight) / 2 + 12;
    layoutAndText();
}

void AboutWindow::mouseDown (const juce::MouseEvent& e)
{
    const auto position = e.getEventRelativeTo (this).getPosition();
    const auto strip = getLogoStrip();

    // Edges included: a click on the strip's last row of pixels still hits the logo.
    if (position.x >= strip.getX() && position.x <= strip.getRight()
        && position.y >= strip.getY() && position.y <= strip.getBottom())
        logoClicked();
    else if (e.originalComponent == &bubble || bubble.isParentOf (e.originalComponent))
        bubble.fadeOutIfShown();
    else
        closeClicked();
}

void AboutWindow::logoClicked()
{
    ++logoClickCount;

    if (logoClickCount == clicksToShowBubble)
    {
        bubble.fadeIn();
        return;
    }

    for (const auto& line : bubbleLines)
        if (line.clicks == logoClickCount)
            bubble.setText (line.text);
}

void AboutWindow::closeClicked()
{
    ++clickCount;

    if (clickCount >= clicksToClose && ! isTimerRunning (fadeOutTimerId) && getAlpha() > 0.0f)
    {
        stopTimer (fadeInTimerId);
        startTimer (fadeOutTimerId, fadeStepMs);
    }
}
