#include "BrioImageLoader.h"

namespace
{
    juce::int64 cacheKey (const void* data)
    {
        return (juce::int64) (juce::pointer_sized_int) data;
    }
}

BrioImageLoader::BrioImageLoader (const std::vector<Source>& sourcesToLoad)
    : sources (sourcesToLoad), images (sourcesToLoad.size()), decodes (sourcesToLoad.size())
{
    // The cache itself is used only on this thread.
    for (size_t i = 0; i < sources.size(); ++i)
    {
        images[i] = juce::ImageCache::getFromHashCode (cacheKey (sources[i].data));

        if (images[i].isNull())
            decodes[i] = std::async (std::launch::async, [source = sources[i]]
            {
                return juce::ImageFileFormat::loadFrom (source.data, (size_t) source.size);
            });
    }
}

std::vector<juce::Image> BrioImageLoader::takeImages()
{
    for (size_t i = 0; i < sources.size(); ++i)
    {
        if (! decodes[i].valid())
            continue;

        images[i] = decodes[i].get();

        if (images[i].isValid())
            juce::ImageCache::addImageToCache (images[i], cacheKey (sources[i].data));
    }

    return std::move (images);
}
