#include "BrioKnob.h"

#include "BrioArt.h"
#include "BrioKnobBubbles.h"
#include "BrioLockMenu.h"

namespace LarkspanBrio
{

namespace
{
    constexpr int labelHeight = 16;
    constexpr int labelTop = 6;         // below the frame
    constexpr int bubbleGap = 5;        // between the knob's bottom and a bubble's top

    // Close delays, in milliseconds.
    constexpr int bubbleCloseAfterRelease = 500;
    constexpr int bubbleCloseAfterStep = 600;
    constexpr int popupCloseDelay = 500;
    constexpr int editBubbleCloseOnPressInBubbleMode = 250;
    constexpr int editBubbleCloseOnPress = 150;
    constexpr int editBubbleCloseOnWheel = 150;

    // Label refresh periods, in milliseconds.
    constexpr int labelTimerOnEnter = 200;
    constexpr int labelTimerOnExit = 450;
    constexpr int labelTimerAfterEditing = 50;
}

//==============================================================================
BrioKnob::BrioKnob (const juce::String& componentName)
    : juce::Slider (componentName)
{
    const auto closedPadlock = BrioLockMenu::getClosedPadlock();
    unlockIcon = BrioLockMenu::makeMenuIcon (closedPadlock);
    lockIcon = BrioLockMenu::makeMenuIcon (BrioLockMenu::getOpenPadlock());

    lockIndicatorImage = closedPadlock;
    lockIndicator.setImage (lockIndicatorImage, juce::RectanglePlacement::centred);
    lockIndicator.setInterceptsMouseClicks (false, false);
    lockIndicator.setBounds (2, 2, 13, 13);
    addChildComponent (lockIndicator);
}

BrioKnob::~BrioKnob()
{
    valueBubble.reset();
    popupDisplay.reset();

    // A menu still open would call back into a knob that is gone; forComponent guards the
    // callback, and closing the menu here takes it off the screen too.
    juce::PopupMenu::dismissAllActiveMenus();

    valueLabel.removeListener (this);
    valueLabel.removeMouseListener (this);
}

juce::Image BrioKnob::loadFilmstrip (const void* pngData, int pngSize)
{
    return juce::ImageCache::getFromMemory (pngData, pngSize);
}

void BrioKnob::setLockIconStyle (int style)
{
    switch (style)
    {
        case 0: lockIndicatorImage = juce::ImageCache::getFromMemory (BrioArt::lock_style_1_png, BrioArt::lock_style_1_pngSize); break;
        case 1: lockIndicatorImage = juce::ImageCache::getFromMemory (BrioArt::lock_style_2_png, BrioArt::lock_style_2_pngSize); break;
        case 2: lockIndicatorImage = juce::ImageCache::getFromMemory (BrioArt::lock_style_3_png, BrioArt::lock_style_3_pngSize); break;
        case 3: lockIndicatorImage = juce::ImageCache::getFromMemory (BrioArt::lock_style_4_png, BrioArt::lock_style_4_pngSize); break;
        case 4: lockIndicatorImage = BrioLockMenu::getClosedPadlock(); break;
        default: break;
    }

    lockIndicator.setImage (lockIndicatorImage, juce::RectanglePlacement::centred);
}

//==============================================================================
void BrioKnob::setup (juce::AudioProcessorParameter* parameterToUse, const juce::Image& filmstripImage,
                      int numFrames, int x, int y)
{
    setParameter (parameterToUse);
    setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);

    if (parameterToUse != nullptr)
    {
        // A continuous parameter reports JUCE's default of 2147483647 steps.
        updateRange (0.0, 1.0, 1.0 / (double) parameterToUse->getNumSteps());
        setValue (getPositionForParameter(), juce::dontSendNotification);
        showValueTextInLabel();
        setDoubleClickReturnValue (true, parameterToUse->getDefaultValue(), juce::ModifierKeys::altModifier);

        if (displayMode != silentMode)
            lockEnabled = editValueEnabled = randomLockEnabled = true;
    }
    else
    {
        updateRange (0.0, 1.0, 0.001);
        setValue (0.5, juce::dontSendNotification);
        showValueTextInLabel();
        setDoubleClickReturnValue (true, 0.5, juce::ModifierKeys::altModifier);
    }

    setFilmstrip (filmstripImage, numFrames);

    const auto gap = (displayMode == labelMode) ? 10 : 0;
    setLabelLayout (x, y, 0, 0, gap);
}

void BrioKnob::setParameter (juce::AudioProcessorParameter* parameterToUse)
{
    if (parameterToUse == nullptr)
        return;

    parameter = parameterToUse;
    caption = parameter->getName (50);

    if (showCaptionWhenIdle && isIdle())
        valueLabel.setText (caption, juce::dontSendNotification);
}

void BrioKnob::updateRange (double minimum, double maximum, double interval)
{
    setRange (minimum, maximum, interval);
    rangeLength = getMaximum() - getMinimum();
}

void BrioKnob::setFilmstrip (const juce::Image& image, int numFrames)
{
    filmstrip = image;

    if (image.isValid() && numFrames > 0)
    {
        frameCount = numFrames;
        lastFrame = numFrames - 1;
        frameWidth = image.getWidth();
        frameHeight = image.getHeight() / numFrames;
    }
    else
    {
        frameCount = 0;
        lastFrame = 0;
    }

    if (displayMode != labelMode)
    {
        valueLabel.setVisible (false);
    }
    else
    {
        addAndMakeVisible (valueLabel);
        valueLabel.setFont (labelFont);
        valueLabel.setJustificationType (juce::Justification::centred);
        valueLabel.setText (caption, juce::dontSendNotification);
        valueLabel.setEditable (false, true, false);
        valueLabel.addListener (this);
        valueLabel.addMouseListener (this, true);
    }

    repaint();
}

void BrioKnob::setLabelLayout (int x, int y, int extraWidth, int newLabelX, int newLabelGap)
{
    if (displayMode != labelMode)
    {
        setBounds (x, y, frameWidth, frameHeight);
        return;
    }

    frameX = (float) extraWidth * 0.5f;
    labelX = (float) newLabelX;
    labelGap = (float) newLabelGap;

    setBounds (x, y, extraWidth + frameWidth, (int) ((float) frameHeight + labelGap + (float) labelHeight));
    valueLabel.setBounds ((int) labelX, frameHeight + labelTop, getWidth(), labelHeight);
}

//==============================================================================
double BrioKnob::getPositionForParameter() const
{
    if (parameter == nullptr)
        return getValue();

    const auto value = parameter->getValue();
    return positionForParameterValue != nullptr ? positionForParameterValue (value) : (double) value;
}

void BrioKnob::updateFromParameter()
{
    if (parameter == nullptr)
        return;

    const auto position = getPositionForParameter();

    if (getValue() != position)
        setValue (position, juce::dontSendNotification);

    showValueTextInLabel();
}

int BrioKnob::getFrameIndex() const
{
    const auto proportion = (getValue() - getMinimum()) / rangeLength;
    return (int) ((double) lastFrame * proportion);
}

juce::String BrioKnob::getValueText() const
{
    // getTextFromValue isn't const in the slider's interface, though it changes nothing.
    return const_cast<BrioKnob*> (this)->getTextFromValue (getValue());
}

juce::String BrioKnob::getTextFromValue (double value)
{
    if (parameter == nullptr)
        return "na";

    return parameter->getText ((float) value, 4);
}

void BrioKnob::paint (juce::Graphics& g)
{
    if (frameCount <= 0)
        return;

    g.drawImage (filmstrip, (int) frameX, 0, frameWidth, frameHeight,
                 0, getFrameIndex() * frameHeight, frameWidth, frameHeight, false);
}

//==============================================================================
bool BrioKnob::isLabelBeingEdited() const
{
    return valueLabel.isBeingEdited();
}

bool BrioKnob::isIdle() const
{
    return ! isMouseOverOrDragging() && ! valueLabel.isMouseOver() && ! isLabelBeingEdited();
}

void BrioKnob::showValueTextInLabel()
{
    if (! showCaptionWhenIdle)
        valueLabel.setText (getValueText(), juce::dontSendNotification);
}

void BrioKnob::timerCallback()
{
    if (isLabelBeingEdited())
    {
        stopTimer();
        return;
    }

    if (isMouseOverOrDragging() || valueLabel.isMouseOver())
    {
        valueLabel.setText (getValueText(), juce::dontSendNotification);
        return;
    }

    if (showCaptionWhenIdle && isIdle())
        valueLabel.setText (caption, juce::dontSendNotification);

    stopTimer();
}

void BrioKnob::labelTextChanged (juce::Label* label)
{
    const auto newValue = parameter != nullptr ? parameter->getValueForText (label->getText()) : 0.0f;
    setValue (newValue, juce::sendNotification);
    showValueTextInLabel();
}

void BrioKnob::editorShown (juce::Label*, juce::TextEditor&)
{
    const auto x = (float) (getWidth() / 2 - labelEditWidth / 2) + labelX;
    valueLabel.setBounds ((int) x, frameHeight + labelTop, getWidth(), labelHeight);
}

void BrioKnob::editorHidden (juce::Label*, juce::TextEditor&)
{
    valueLabel.setBounds ((int) labelX, frameHeight + labelTop, getWidth(), labelHeight);
    startTimer (labelTimerAfterEditing);
}

//==============================================================================
void BrioKnob::mouseEnter (const juce::MouseEvent& e)
{
    juce::Slider::mouseEnter (e);

    if (displayMode == labelMode)
        startTimer (labelTimerOnEnter);

    sendActionMessage ("BrioKnobName");
}

void BrioKnob::mouseExit (const juce::MouseEvent& e)
{
    juce::Slider::mouseExit (e);

    if (displayMode == labelMode)
    {
        if (! isLabelBeingEdited())
            startTimer (labelTimerOnExit);
    }
    else if (displayMode == popupMode)
    {
        if (popupDisplay != nullptr)
            popupDisplay->startTimer (popupCloseDelay);
    }
    else if (displayMode == bubbleMode)
    {
        if (valueBubble != nullptr)
            valueBubble->startTimer (bubbleCloseAfterRelease);
    }
}

void BrioKnob::mouseDown (const juce::MouseEvent& e)
{
    sliderOwnsPress = false;

    if (e.mods.isAltDown())
    {
        juce::Slider::mouseDoubleClick (e);     // back to the default, inside a gesture
        return;
    }

    if (e.mods.isShiftDown())
    {
        showEditValueBubble();
        return;
    }

    if (e.mods.isRightButtonDown())
    {
        if (editValueEnabled || lockEnabled || randomLockEnabled)
        {
            buildMenu();
            menu.showMenuAsync (juce::PopupMenu::Options(),
                                juce::ModalCallbackFunction::forComponent (menuCallback, this));
        }

        return;
    }

    if (editValueEnabled)
        startEditBubbleCloseTimer (displayMode == bubbleMode ? editBubbleCloseOnPressInBubbleMode
                                                             : editBubbleCloseOnPress);

    if (displayMode == bubbleMode)
        showValueBubble();
    else if (displayMode == popupMode && popupDisplay == nullptr)
        showPopupDisplay();

    sliderOwnsPress = true;
    juce::Slider::mouseDown (e);
}

void BrioKnob::mouseDrag (const juce::MouseEvent& e)
{
    if (! sliderOwnsPress)
        return;

    juce::Slider::mouseDrag (e);

    if (displayMode == labelMode)
        valueLabel.setText (getValueText(), juce::dontSendNotification);
    else if (displayMode == popupMode)
        showPopupDisplay();
    else if (displayMode == bubbleMode && ! e.mods.isShiftDown())
        showValueBubble();

    if (editValueEnabled && editBubble != nullptr)
        editBubble->closeBubble();
}

void BrioKnob::mouseUp (const juce::MouseEvent& e)
{
    if (displayMode == popupMode && popupDisplay != nullptr)
        popupDisplay->startTimer (popupCloseDelay);
    else if (displayMode == bubbleMode && valueBubble != nullptr)
        valueBubble->startTimer (bubbleCloseAfterRelease);

    if (sliderOwnsPress)
        juce::Slider::mouseUp (e);

    sliderOwnsPress = false;
}

void BrioKnob::mouseDoubleClick (const juce::MouseEvent& e)
{
    // The label's clicks arrive here too; a double-click there edits the label instead.
    if (e.eventComponent != this)
        return;

    juce::Slider::mouseDoubleClick (e);

    if (displayMode == bubbleMode && valueBubble != nullptr)
    {
        refreshValueBubble();
        valueBubble->startTimer (bubbleCloseAfterStep);
    }
}

void BrioKnob::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    juce::Slider::mouseWheelMove (e, wheel);

    if (displayMode == labelMode)
    {
        valueLabel.setText (getValueText(), juce::dontSendNotification);
    }
    else if (displayMode == popupMode)
    {
        showPopupDisplay();
        popupDisplay->startTimer (popupCloseDelay);
    }
    else if (displayMode == bubbleMode)
    {
        if (editValueEnabled)
            startEditBubbleCloseTimer (editBubbleCloseOnWheel);

        showValueBubble();
        valueBubble->startTimer (bubbleCloseAfterStep);
    }
}

void BrioKnob::startEditBubbleCloseTimer (int milliseconds)
{
    if (editBubble != nullptr)
        editBubble->startTimer (milliseconds);
}

//==============================================================================
void BrioKnob::buildMenu()
{
    menu.clear();

    if (editValueEnabled)
    {
        menu.addItem (editValueItemId, "Edit Value");

        if (lockEnabled)
            menu.addSeparator();
    }

    if (lockEnabled)
        BrioLockMenu::addSubmenu (menu, locked, lockIcon, unlockIcon);
}

void BrioKnob::menuCallback (int result, BrioKnob* knob)
{
    if (result != 0 && knob != nullptr)
        knob->menuResult (result);
}

void BrioKnob::menuResult (int result)
{
    if (result == editValueItemId)
    {
        showEditValueBubble();
        return;
    }

    const auto message = BrioLockMenu::applyChoice (result, { lockEnabled, locked, randomLockEnabled, randomLocked },
                                                    lockIndicator);
    if (message.isNotEmpty())
        sendActionMessage (message);
}

//==============================================================================
juce::Rectangle<int> BrioKnob::getValueBubbleBounds (int textWidth, float fontHeight) const
{
    const auto x = (float) getX() + bubbleOffsetX + (float) ((getWidth() - textWidth - 20) / 2);
    const auto y = (float) getY() + bubbleOffsetY + (float) (getHeight() + bubbleGap);

    return { (int) x, (int) y, textWidth + 21, (int) (fontHeight * 1.6f) + 3 };
}

juce::Rectangle<int> BrioKnob::getEditBubbleBounds() const
{
    const auto width = editBubbleWidth > 0 ? editBubbleWidth : juce::jmax (getWidth(), 50);
    const auto x = (float) getX() + bubbleOffsetX - (float) ((width - getWidth()) / 2);
    const auto y = (float) getY() + bubbleOffsetY + (float) (getHeight() + bubbleGap);

    return { (int) x, (int) y, width, BrioBubbleEditValueKnob::height };
}

void BrioKnob::addBubbleToParent (juce::Component& bubble)
{
    // Without a parent a bubble still does all its steps; it just never appears.
    if (bubbleParent != nullptr)
        bubbleParent->addChildComponent (bubble);
}

void BrioKnob::refreshValueBubble()
{
    // Cutting a fade-out short leaves the bubble hidden at opacity 0, ready to fade in.
    valueBubble->animator.cancelAnimation (valueBubble.get(), true);
    valueBubble->refresh();
}

void BrioKnob::showValueBubble()
{
    if (valueBubble == nullptr)
    {
        valueBubble = std::make_unique<BrioBubbleKnob> (*this, bubbleAlpha);
        addBubbleToParent (*valueBubble);
    }

    refreshValueBubble();
    valueBubble->showWithFade();
}

void BrioKnob::showPopupDisplay()
{
    if (popupDisplay == nullptr)
    {
        popupDisplay = std::make_unique<PopupDisplayComponent> (*this, bubbleAlpha);
        popupDisplay->setAllowedPlacement (popupPlacement);
        addBubbleToParent (*popupDisplay);
    }

    popupDisplay->setVisible (true);
    popupDisplay->text = getValueText();
    popupDisplay->setPosition (this, popupDistance, popupArrowLength);
    popupDisplay->repaint();
}

void BrioKnob::showEditValueBubble()
{
    // Nothing to edit on a knob without a parameter.
    if (parameter == nullptr)
        return;

    if (editBubble == nullptr)
    {
        editBubble = std::make_unique<BrioBubbleEditValueKnob> (*this, bubbleAlpha);
        addBubbleToParent (*editBubble);
    }

    editBubble->refresh();
    editBubble->showWithFade();
    editBubble->editor.selectAll();
    editBubble->editor.grabKeyboardFocus();
}

} // namespace LarkspanBrio
