#include "BrioButton.h"

#include "BrioLockMenu.h"

namespace LarkspanBrio
{

namespace
{
    /** Where a picture is drawn in a button of size w x h: scaled to fit, proportions
        kept, centred (as juce::ImageButton lays out its pictures).
    */
    juce::Rectangle<int> fittedImageArea (const juce::Image& image, int w, int h)
    {
        const auto imageRatio = (float) image.getHeight() / (float) image.getWidth();
        const auto areaRatio = (float) h / (float) w;

        const auto fitW = imageRatio > areaRatio ? juce::roundToInt ((float) h / imageRatio) : w;
        const auto fitH = imageRatio > areaRatio ? h : juce::roundToInt ((float) w * imageRatio);

        return { (w - fitW) / 2, (h - fitH) / 2, fitW, fitH };
    }

    /** A right click or a ctrl-click, on every platform (JUCE's isPopupMenu takes ctrl
        only on the Mac).
    */
    bool isPopupClick (const juce::MouseEvent& e)
    {
        return e.mods.testFlags (juce::ModifierKeys::rightButtonModifier | juce::ModifierKeys::ctrlModifier);
    }
}

//==============================================================================
BrioButton::BrioButton()
    : juce::ImageButton (juce::String())
{
    unlockIcon = BrioLockMenu::makeMenuIcon (BrioLockMenu::getClosedPadlock());
    lockIcon = BrioLockMenu::makeMenuIcon (BrioLockMenu::getOpenPadlock());

    setMouseCursor (juce::MouseCursor::PointingHandCursor);

    lockIndicatorImage = BrioLockMenu::getClosedPadlock();
    lockIndicator.setImage (lockIndicatorImage, juce::RectanglePlacement::centred);
    lockIndicator.setInterceptsMouseClicks (false, false);
    addChildComponent (lockIndicator);
    lockIndicator.setBounds (2, 2, 13, 13);
}

BrioButton::~BrioButton() = default;

//==============================================================================
void BrioButton::setButtonImages (const juce::Image& normal, const juce::Image& down, bool resizeNow, float opacity)
{
    const juce::Colour none (0x00000000);
    setImages (true, true, true, normal, opacity, none, juce::Image(), opacity, none, down, opacity, none, 0.0f);

    imageOpacity = opacity;
    imageWidth = normal.getWidth();
    imageHeight = normal.getHeight();

    if (resizeNow)
        applySizeDivisor();
}

void BrioButton::applySizeDivisor()
{
    if (sizeDivisor < 1 || sizeDivisor > 3)
        sizeDivisor = 1;

    setBounds (getX(), getY(), imageWidth / sizeDivisor, imageHeight / sizeDivisor);
}

void BrioButton::setUpImageButton (const juce::Image& normal, const juce::Image& down, int x, int y,
                                   juce::Button::Listener* listener)
{
    setBounds (x, y, 50, 50);
    setButtonImages (normal, down, false, 1.0f);

    if (listener != nullptr)
        addListener (listener);
}

void BrioButton::setUpParameterToggle (juce::AudioProcessorParameter* parameterToUse,
                                       const juce::Image& normal, const juce::Image& down, int x, int y)
{
    setBounds (x, y, 50, 50);
    setButtonImages (normal, down, false, 1.0f);
    setClickingTogglesState (true);
    setTriggeredOnMouseDown (true);

    parameter = parameterToUse;

    if (parameter != nullptr)
    {
        lockEnabled = true;
        randomLockEnabled = true;
        setToggleState (parameter->getValue() > 0.5f, juce::dontSendNotification);
    }

    applySizeDivisor();
}

//==============================================================================
void BrioButton::paintButton (juce::Graphics& g, bool, bool)
{
    // The down picture shows exactly while the toggle state is on: a command button is
    // "on" through its press and flash; a pressed toggle shows its new state at once.
    auto image = getToggleState() ? getDownImage() : getNormalImage();

    if (! image.isValid() || getWidth() <= 0 || getHeight() <= 0)
        return;

    const auto area = fittedImageArea (image, getWidth(), getHeight());
    getLookAndFeel().drawImageButton (g, &image,
                                      area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                                      juce::Colour (0x00000000), imageOpacity, *this);
}

//==============================================================================
void BrioButton::mouseDown (const juce::MouseEvent& e)
{
    // A popup click is never a click on the button, whether or not a menu opens.
    if (isPopupClick (e))
    {
        if (lockEnabled || randomLockEnabled)
            showLockMenu();

        return;
    }

    if (! getClickingTogglesState())
    {
        // A flash still running from the last release must not end this press.
        stopTimer();
        setToggleState (true, juce::dontSendNotification);
    }

    juce::ImageButton::mouseDown (e);
}

void BrioButton::mouseDrag (const juce::MouseEvent& e)
{
    // JUCE's button would take a drag as a press and click at the release.
    if (! isPopupClick (e))
        juce::ImageButton::mouseDrag (e);
}

void BrioButton::mouseUp (const juce::MouseEvent& e)
{
    if (! isPopupClick (e) && ! getClickingTogglesState())
        startTimer (flashMilliseconds);

    // Last: a listener may delete this button from its click.
    juce::ImageButton::mouseUp (e);
}

void BrioButton::timerCallback()
{
    setToggleState (false, juce::dontSendNotification);
    stopTimer();
}

void BrioButton::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    // Only a toggle follows the wheel: on a command button a scroll would run the command
    // (randomise, step presets, ask to delete) and leave the button showing pressed.
    if (! getClickingTogglesState())
    {
        juce::ImageButton::mouseWheelMove (e, wheel);
        return;
    }

    const auto dx = (double) wheel.deltaX;
    const auto dy = (double) wheel.deltaY;

    if (dy > 0.01 || dx < -0.01)
        setToggleState (true, juce::sendNotification);
    else if (dy < -0.01 || dx > 0.01)
        setToggleState (false, juce::sendNotification);
}

bool BrioButton::keyPressed (const juce::KeyPress&)
{
    return false;
}

//==============================================================================
void BrioButton::showLockMenu()
{
    buildLockMenu();
    lockMenu.showMenuAsync (juce::PopupMenu::Options(),
                            juce::ModalCallbackFunction::forComponent (lockMenuCallback, this));
}

void BrioButton::buildLockMenu()
{
    lockMenu.clear();

    if (lockEnabled)
        BrioLockMenu::addSubmenu (lockMenu, locked, lockIcon, unlockIcon);
}

void BrioButton::lockMenuCallback (int result, BrioButton* button)
{
    if (result != 0 && button != nullptr)
        button->lockMenuResult (result);
}

void BrioButton::lockMenuResult (int result)
{
    const auto message = BrioLockMenu::applyChoice (result, { lockEnabled, locked, randomLockEnabled, randomLocked },
                                                    lockIndicator);

    if (message.isNotEmpty())
        sendActionMessage (message);
}

} // namespace LarkspanBrio
