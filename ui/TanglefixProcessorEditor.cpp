#include "TanglefixProcessorEditor.h"

#include "TanglefixPluginWindow.h"

#include <cmath>

namespace
{
    // Halves go down, so that a width of 650 x 0.75 = 487.5 comes out as 487.
    int roundHalfDown (double value)
    {
        return (int) std::ceil (value - 0.5);
    }
}

//==============================================================================
TanglefixProcessorEditor::TanglefixProcessorEditor (TanglefixAudioProcessor& p)
    : AudioProcessorEditor (p), processor (p)
{
    constrainer.setMinimumSize (layoutWidth / 2, layoutHeight / 2);
    constrainer.setMaximumSize (layoutWidth * 2, layoutHeight * 2);
    constrainer.setFixedAspectRatio ((double) layoutWidth / (double) layoutHeight);

    resizeCorner = std::make_unique<juce::ResizableCornerComponent> (this, &constrainer);
    addAndMakeVisible (*resizeCorner);
    resizeCorner->setAlpha (cornerRestAlpha);
    resizeCorner->setAlwaysOnTop (true);
    resizeCorner->addMouseListener (this, true);

    const auto size = sizeForScale (processor.windowScale);
    setSize (size.getWidth(), size.getHeight());

    pluginWindow = std::make_unique<TanglefixPluginWindow> (processor, *this);
    addAndMakeVisible (*pluginWindow);
    pluginWindow->setBounds (0, 0, layoutWidth, layoutHeight);
    pluginWindow->addMouseListener (this, true);
}

TanglefixProcessorEditor::~TanglefixProcessorEditor()
{
    // A size the user chose just before closing is still worth keeping.
    if (isTimerRunning())
        saveWindowSize();

    stopTimer();

    if (pluginWindow != nullptr)
        pluginWindow->removeMouseListener (this);

    if (resizeCorner != nullptr)
        resizeCorner->removeMouseListener (this);

    pluginWindow.reset();
    resizeCorner.reset();
}

//==============================================================================
juce::Rectangle<int> TanglefixProcessorEditor::sizeForScale (double scale)
{
    return { roundHalfDown (layoutWidth * scale), roundHalfDown (layoutHeight * scale) };
}

double TanglefixProcessorEditor::scaleForWidth (int width)
{
    // A width stands for a band of scales about 0.0015 wide, which holds at most one
    // scale in hundredths. That one is what a menu, a host or a user aiming at a size
    // picked, so 0.75 comes back as 0.75 rather than as 487 / 650.
    const auto exact = (double) width / (double) layoutWidth;
    const auto hundredths = std::round (exact * 100.0) / 100.0;
    return sizeForScale (hundredths).getWidth() == width ? hundredths : exact;
}

double TanglefixProcessorEditor::storableScale (double scale)
{
    return std::isfinite (scale) ? juce::jlimit (0.5, 2.0, scale) : 1.0;
}

//==============================================================================
void TanglefixProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}

void TanglefixProcessorEditor::resized()
{
    if (resizeCorner == nullptr)
        return;

    resizeCorner->setBounds (getWidth() - cornerSize, getHeight() - cornerSize, cornerSize, cornerSize);

    // A width that the current scale already gives keeps that scale. Taking width / 650
    // instead would lose a little each time the panel's timer and this function hand
    // the size back and forth, and the editor would shrink tick by tick.
    if (getWidth() != sizeForScale (processor.windowScale).getWidth())
        processor.windowScale = scaleForWidth (getWidth());

    startTimer (saveDelayMs);
}

void TanglefixProcessorEditor::timerCallback()
{
    saveWindowSize();
    stopTimer();
}

void TanglefixProcessorEditor::saveWindowSize()
{
    auto& settings = processor.settings;
    settings.loadGlobalSettings (true);
    settings.setGlobalValue ("WindowSize", storableScale (processor.windowScale), false);
    settings.saveGlobalSettings();
}

//==============================================================================
// The editor listens to the corner and the panel with all their children, so these see
// the mouse everywhere; only the corner itself reacts.
void TanglefixProcessorEditor::mouseEnter (const juce::MouseEvent& e)
{
    if (e.eventComponent == resizeCorner.get())
        resizeCorner->setAlpha (1.0f);
}

void TanglefixProcessorEditor::mouseExit (const juce::MouseEvent& e)
{
    if (e.eventComponent == resizeCorner.get())
        resizeCorner->setAlpha (cornerRestAlpha);
}

void TanglefixProcessorEditor::mouseDown (const juce::MouseEvent& e)
{
    // The panel's timer brings the editor to the standard size at its next tick.
    if (e.eventComponent == resizeCorner.get() && e.getNumberOfClicks() >= 2)
        processor.windowScale = 1.0;
}
