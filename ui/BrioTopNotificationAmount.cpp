#include "BrioTopNotificationAmount.h"

namespace LarkspanBrio
{

BrioTopNotificationAmount::BrioTopNotificationAmount()
{
    setInterceptsMouseClicks (false, false);
}

BrioTopNotificationAmount::~BrioTopNotificationAmount() = default;

void BrioTopNotificationAmount::setUnreadCount (int newCount)
{
    if (unreadCount != newCount)
    {
        unreadCount = newCount;
        repaint();
    }
}

void BrioTopNotificationAmount::paint (juce::Graphics& g)
{
    if (unreadCount <= 0)
        return;

    const auto w = getWidth();
    const auto h = getHeight();

    g.setColour (fillColour);
    g.fillRoundedRectangle (1.0f, 1.0f, (float) juce::jmax (0, w - 2), (float) juce::jmax (0, h - 2), (float) cornerSize);

    g.setColour (textColour);
    g.drawFittedText (juce::String (unreadCount), 2, 2, juce::jmax (0, w - 4), juce::jmax (0, h - 4),
                      juce::Justification::centred, 1, 0.0f);
}

} // namespace LarkspanBrio
