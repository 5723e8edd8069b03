#pragma once

#include <juce_core/juce_core.h>

#include "BrioSettings.h"

//==============================================================================
/** One news entry, from the attributes of one element of the news reply. */
struct NotificationRecord
{
    juce::String title;
    juce::String message;
    juce::String link;     // a web address, or "#" for none
    juce::String id;
};

//==============================================================================
/** Letter substitution used to derive one of the news request's values. */
struct BrioRot13
{
    juce::String letters;
    juce::String images;

    juce::String apply (const juce::String& text) const;
};

namespace LarkspanBrio
{

//==============================================================================
/**
    Fetches the maker's news once per start on a low-priority thread of its own and
    counts the entries the user has not read yet.
*/
class PluginNotifications  : public juce::Thread
{
public:
    explicit PluginNotifications (const juce::String& productName);
    ~PluginNotifications() override;

    /** Reads the stored news state and starts the fetch when it is enabled. */
    void reloadSettingsAndStart();

    void run() override;

    /** Marks everything fetched so far as read and stores the newest ids. */
    void saveReadState();

    juce::String productName;
    juce::String lastReadId;
    juce::String latestId;
    juce::String lastReadSpecialId;
    juce::String latestSpecialId;
    int newCount = 0;
    BrioRot13 rot13;
    BrioSettings settings;
    juce::Array<NotificationRecord> records;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginNotifications)
};

} // namespace LarkspanBrio
