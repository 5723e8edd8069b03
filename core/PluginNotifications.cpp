#include "PluginNotifications.h"

// Placeholder until the news fetcher lands: keeps the processor linkable.
juce::String BrioRot13::apply (const juce::String& text) const { return text; }

namespace LarkspanBrio
{

PluginNotifications::PluginNotifications (const juce::String& name)
    : juce::Thread ("LarkspanPN"), productName (name)
{
}

PluginNotifications::~PluginNotifications()
{
    stopThread (-1);
}

void PluginNotifications::reloadSettingsAndStart() {}
void PluginNotifications::run() {}
void PluginNotifications::saveReadState() { newCount = 0; }

} // namespace LarkspanBrio
