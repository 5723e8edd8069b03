#pragma once

#include "NewsNames.h"

#include <juce_core/juce_core.h>

//==============================================================================
/** Builds reply documents in the endpoint's format for the news tests. */
struct NewsReply
{
    NewsReply& add (const juce::String& id, const juce::String& link = "https://larkspan.com/news")
    {
        auto* entry = root.createNewChildElement (NewsNames::entryTag);
        entry->setAttribute (NewsNames::titleAttribute, "Title " + id);
        entry->setAttribute (NewsNames::messageAttribute, "Message " + id);
        entry->setAttribute (NewsNames::linkAttribute, link);
        entry->setAttribute (NewsNames::idAttribute, id);
        return *this;
    }

    juce::String toString() const  { return root.toString(); }

    juce::XmlElement root { NewsNames::rootTag };
};
