#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <TanglefixAudioProcessor.h>

#include <memory>

class TanglefixPluginWindow;

//==============================================================================
/**
    The plug-in's editor: a black frame around the main panel, with a resize corner
    that keeps the panel's 650:420 aspect between half and twice its size.

    The panel is always laid out at 650 x 420 and scaled by its own transform; the
    panel's timer sets the editor's size from the processor's windowScale, and the
    editor turns every new size back into windowScale. Both directions use
    sizeForScale, so a scale and its size never drift apart.

    2000 ms after the last resize the scale is stored as "WindowSize" in the global
    settings, so that the next editor opens at it; a save still pending when the
    editor closes is made then.

    Message thread only.
*/
class TanglefixProcessorEditor  : public juce::AudioProcessorEditor,
                                  private juce::Timer
{
public:
    static constexpr int layoutWidth = 650;
    static constexpr int layoutHeight = 420;
    static constexpr int cornerSize = 14;
    static constexpr int saveDelayMs = 2000;
    static constexpr float cornerRestAlpha = 0.2f;

    explicit TanglefixProcessorEditor (TanglefixAudioProcessor&);
    ~TanglefixProcessorEditor() override;

    /** The editor's size for a scale: the layout size times the scale, each rounded to
        the nearest pixel with halves going down (0.75 gives 487 x 315). */
    static juce::Rectangle<int> sizeForScale (double scale);

    /** The scale a new width stands for: the scale in hundredths whose size has this width
        when there is one (487 gives 0.75), else width / 650. */
    static double scaleForWidth (int width);

    /** The "WindowSize" the settings keep for a scale: limited to 0.5 .. 2. */
    static double storableScale (double scale);

    TanglefixPluginWindow* getPluginWindow() const noexcept         { return pluginWindow.get(); }
    juce::ResizableCornerComponent* getResizeCorner() const noexcept { return resizeCorner.get(); }
    const juce::ComponentBoundsConstrainer& getSizeLimits() const noexcept { return constrainer; }
    bool isSavePending() const                                      { return isTimerRunning(); }

    //==============================================================================
    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    void timerCallback() override;
    void saveWindowSize();

    TanglefixAudioProcessor& processor;
    juce::ComponentBoundsConstrainer constrainer;
    std::unique_ptr<juce::ResizableCornerComponent> resizeCorner;
    std::unique_ptr<TanglefixPluginWindow> pluginWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TanglefixProcessorEditor)
};
