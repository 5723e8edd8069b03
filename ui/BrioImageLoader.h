#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <future>
#include <vector>

//==============================================================================
/**
    Decodes several embedded PNG pictures at once, one thread each, while its owner goes
    on building, and keeps them in JUCE's ImageCache under the keys that
    ImageCache::getFromMemory uses: a picture that another editor still holds is taken
    from there and not decoded again, and what is decoded here is found by getFromMemory
    later.

    The editor's filmstrips take most of its opening time, and each PNG decodes on one
    core only; side by side, and beside the rest of the editor's construction, they take
    about as long as the largest alone.

    Make it and take the pictures on the message thread; only the decoding runs on the
    other threads. Destroying it waits for decodes still running.
*/
class BrioImageLoader
{
public:
    struct Source
    {
        const void* data;
        int size;
    };

    /** Starts decoding every picture that the cache doesn't hold. */
    explicit BrioImageLoader (const std::vector<Source>& sources);

    /** Waits for the decodes; the pictures in the order of the sources (an undecodable
        one is a null Image). Only the first call has them. */
    std::vector<juce::Image> takeImages();

private:
    std::vector<Source> sources;
    std::vector<juce::Image> images;
    std::vector<std::future<juce::Image>> decodes;

    JUCE_DECLARE_NON_COPYABLE (BrioImageLoader)
};
