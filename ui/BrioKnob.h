#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace LarkspanBrio
{

//==============================================================================
/**
    A rotary control drawn from a filmstrip (one frame per position, frames stacked
    vertically, top frame = minimum) and bound to one parameter.

    It shows its value in one of four ways (`displayMode`): 0 a label under the frame,
    1 a popup display with an arrow, 2 a rounded value bubble, 3 nothing. Alt-click or
    double-click resets it to the parameter's default; shift-click or the right-click
    menu opens the "Edit Value" bubble; the menu also locks the parameter. The bubbles
    are children of `bubbleParent`, so that they can reach beyond the knob.

    Modifiers are read from each mouse event, never from the live keyboard and pointer
    state: on X11 that state is read when asked, so a quick right-click handled after
    its release would otherwise read as a left click.

    Message thread only.
*/
class BrioKnob  : public juce::Slider,
                  public juce::ActionBroadcaster,
                  public juce::Label::Listener,
                  public juce::Timer
{
public:
    class BrioBubbleKnob;
    class PopupDisplayComponent;
    class BrioBubbleEditValueKnob;

    explicit BrioKnob (const juce::String& componentName);
    ~BrioKnob() override;

    //==============================================================================
    /** Decodes an embedded filmstrip once for all knobs and editors that show it: the
        largest is about 54 MB when decoded, far too much to hold once per editor. */
    static juce::Image loadFilmstrip (const void* pngData, int pngSize);

    /** Picks the lock indicator's picture: 0..3 the four small icons, 4 the large
        closed padlock; any other style keeps the current picture. */
    void setLockIconStyle (int style);

    /** Binds the knob to a parameter (may be null), gives it its filmstrip and puts it
        at (x, y), sized to one frame (plus the label in display mode 0). */
    void setup (juce::AudioProcessorParameter* parameterToUse, const juce::Image& filmstripImage,
                int numFrames, int x, int y);

    /** Binds a parameter and takes its name as the caption; null changes nothing. */
    void setParameter (juce::AudioProcessorParameter* parameterToUse);

    void updateRange (double minimum, double maximum, double interval);
    void setFilmstrip (const juce::Image& image, int numFrames);
    void setLabelLayout (int x, int y, int extraWidth, int newLabelX, int newLabelGap);

    /** Follows the parameter (the window polls this); sends no notification. */
    void updateFromParameter();

    /** Where the knob stands for the parameter's current value. */
    double getPositionForParameter() const;

    /** The filmstrip frame that paint draws for the current value. */
    int getFrameIndex() const;

    /** The value as the parameter shows it ("na" without a parameter). */
    juce::String getValueText() const;

    /** Where, in the knob's parent, the value bubble goes for a text of this width in a
        font of this height: centred under the knob, moved by the bubble offsets. */
    juce::Rectangle<int> getValueBubbleBounds (int textWidth, float fontHeight) const;

    /** Where, in the knob's parent, the Edit Value bubble goes. */
    juce::Rectangle<int> getEditBubbleBounds() const;

    //==============================================================================
    void buildMenu();
    static void menuCallback (int result, BrioKnob* knob);
    void menuResult (int result);

    //==============================================================================
    void showValueBubble();
    void showPopupDisplay();
    void showEditValueBubble();

    //==============================================================================
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;
    void paint (juce::Graphics&) override;
    juce::String getTextFromValue (double value) override;
    void labelTextChanged (juce::Label*) override;
    void editorShown (juce::Label*, juce::TextEditor&) override;
    void editorHidden (juce::Label*, juce::TextEditor&) override;
    void timerCallback() override;

    //==============================================================================
    enum DisplayModes
    {
        labelMode  = 0,
        popupMode  = 1,
        bubbleMode = 2,
        silentMode = 3
    };

    enum MenuItemIds
    {
        editValueItemId = 12
    };

    bool editValueEnabled = false;
    int editBubbleWidth = -1;
    bool lockEnabled = false;
    bool locked = false;
    juce::ImageComponent lockIndicator;
    juce::Image lockIndicatorImage;
    bool randomLockEnabled = false;
    bool randomLocked = false;
    int frameWidth = 0, frameHeight = 0;
    float frameX = 0.0f;
    float labelX = 0.0f;
    float labelGap = 10.0f;
    juce::Image filmstrip;
    int frameCount = 0;
    int lastFrame = 0;
    double rangeLength = 1.0;
    int labelEditWidth = 70;
    bool showCaptionWhenIdle = false;
    juce::PopupMenu menu;
    juce::Image unlockIcon;
    juce::Image lockIcon;
    juce::String caption;
    juce::Label valueLabel;
    juce::Font labelFont { "BrioKnob", 16.0f, juce::Font::plain };
    juce::AudioProcessorParameter* parameter = nullptr;
    int displayMode = popupMode;
    float bubbleAlpha = 0.75f;
    int popupDistance = 10;
    int popupArrowLength = 15;
    std::unique_ptr<PopupDisplayComponent> popupDisplay;
    std::unique_ptr<BrioBubbleKnob> valueBubble;
    std::unique_ptr<BrioBubbleEditValueKnob> editBubble;
    float bubbleOffsetX = 0.0f, bubbleOffsetY = 0.0f;
    juce::Component* bubbleParent = nullptr;
    int popupPlacement = 15;

    /** Maps a parameter value to the knob's position. Empty means the value itself. A
        stepped control whose steps don't match its parameter's sets it, so that it stands
        where the value acts rather than where the slider's snapping would put it. */
    std::function<double (float)> positionForParameterValue;

private:
    bool isIdle() const;
    bool isLabelBeingEdited() const;
    void showValueTextInLabel();
    void startEditBubbleCloseTimer (int milliseconds);
    void refreshValueBubble();
    void addBubbleToParent (juce::Component& bubble);

    // True while the slider itself handles the current press. Presses it never saw (reset,
    // Edit Value, menu) must not drag it: it would move from the last drag's stale start,
    // outside any change gesture.
    bool sliderOwnsPress = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioKnob)
};

} // namespace LarkspanBrio
