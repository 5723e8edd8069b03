#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace LarkspanBrio
{

//==============================================================================
/**
    The red badge on the news button with the number of unread news entries. It
    draws nothing while the number is 0 and lets every click through to the button.
*/
class BrioTopNotificationAmount  : public juce::Component
{
public:
    BrioTopNotificationAmount();
    ~BrioTopNotificationAmount() override;

    void setUnreadCount (int newCount);
    int getUnreadCount() const noexcept   { return unreadCount; }

    void paint (juce::Graphics&) override;

private:
    int cornerSize = 1;
    int unreadCount = 0;
    juce::Colour fillColour { 0xffe74f47 };
    juce::Colour textColour { juce::Colours::white.darker (0.05f) };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioTopNotificationAmount)
};

} // namespace LarkspanBrio
