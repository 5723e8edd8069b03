#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace LarkspanBrio
{

//==============================================================================
/**
    The editor's image button, in two kinds:

    - a command button (setUpImageButton): clicks reach its listeners at the release,
      and its down picture shows from the press until 80 ms after the release;
    - a toggle (setUpParameterToggle): changes state on the press, shows its down
      picture while on, and follows the mouse wheel (up or left: on; down or right: off).

    A right click (or ctrl-click) never clicks the button; on a button that offers
    locks it opens the "Parameter Lock" menu, whose choices change the lock flags and
    reach the action listeners as messages (see BrioLockMenu). Keys never trigger it.
*/
class BrioButton  : public juce::ImageButton,
                    public juce::ActionBroadcaster,
                    public juce::Timer
{
public:
    BrioButton();
    ~BrioButton() override;

    //==============================================================================
    /** Sets the normal and down pictures and resizes the button to the normal one;
        with resizeNow, then to the normal picture's size divided by sizeDivisor.
    */
    void setButtonImages (const juce::Image& normal, const juce::Image& down, bool resizeNow, float opacity);

    /** A command button at (x, y), the size of its normal picture. */
    void setUpImageButton (const juce::Image& normal, const juce::Image& down, int x, int y,
                           juce::Button::Listener* listener);

    /** A toggle at (x, y); bound to the parameter (when given), whose value sets the
        initial state and which makes the locks available.
    */
    void setUpParameterToggle (juce::AudioProcessorParameter* parameter,
                               const juce::Image& normal, const juce::Image& down, int x, int y);

    //==============================================================================
    void buildLockMenu();
    const juce::PopupMenu& getLockMenu() const noexcept  { return lockMenu; }
    void lockMenuResult (int result);
    static void lockMenuCallback (int result, BrioButton* button);

    //==============================================================================
    /** Picture size over button size when a set-up sizes the button; outside 1..3 counts as 1. */
    int sizeDivisor = 1;

    /** The bound parameter (not owned); the window writes the toggle state into it. */
    juce::AudioProcessorParameter* parameter = nullptr;

    bool lockEnabled = false;         /**< the parameter lock is offered in the menu */
    bool locked = false;              /**< the control is under parameter lock */
    bool randomLockEnabled = false;   /**< the random lock is offered */
    bool randomLocked = false;        /**< the control is left out of randomisation */

    /** Shows the padlock while locked. */
    juce::ImageComponent lockIndicator;

    //==============================================================================
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;
    bool keyPressed (const juce::KeyPress&) override;

    /** Ends the pressed look of a command button. */
    void timerCallback() override;

protected:
    void paintButton (juce::Graphics&, bool isMouseOverButton, bool isButtonDown) override;

private:
    void applySizeDivisor();
    void showLockMenu();

    int imageWidth = 1, imageHeight = 1;
    float imageOpacity = 1.0f;

    juce::Image unlockIcon, lockIcon, lockIndicatorImage;
    juce::PopupMenu lockMenu;

    static constexpr int flashMilliseconds = 80;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioButton)
};

} // namespace LarkspanBrio
