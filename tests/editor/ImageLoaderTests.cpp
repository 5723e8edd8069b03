#include <gtest/gtest.h>

#include <BrioArt.h>
#include <BrioImageLoader.h>

namespace
{
    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds() || a.getFormat() != b.getFormat())
            return false;

        const juce::Image::BitmapData da (a, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData db (b, juce::Image::BitmapData::readOnly);

        for (int y = 0; y < da.height; ++y)
            if (std::memcmp (da.getLinePointer (y), db.getLinePointer (y), (size_t) da.width * (size_t) da.pixelStride) != 0)
                return false;

        return true;
    }
}

TEST (BrioImageLoader, DecodesAsJuceDoesAndSharesThroughTheCache)
{
    // Pictures with soft edges (premultiplied alpha), an opaque one and a filmstrip.
    const std::vector<BrioImageLoader::Source> sources { { BrioArt::bypass_down_png, BrioArt::bypass_down_pngSize },
                                                         { BrioArt::background_png, BrioArt::background_pngSize },
                                                         { BrioArt::knob_operations_png, BrioArt::knob_operations_pngSize },
                                                         { BrioArt::logo_svg, BrioArt::logo_svgSize } };
    juce::ImageCache::releaseUnusedImages();
    const auto images = BrioImageLoader (sources).takeImages();
    ASSERT_EQ (images.size(), sources.size());

    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE (samePixels (images[i], juce::ImageFileFormat::loadFrom (sources[i].data, (size_t) sources[i].size))) << i;

    EXPECT_TRUE (images[3].isNull()) << "no picture format";

    // Held here, so the next loader and getFromMemory find the same pictures.
    const auto again = BrioImageLoader (sources).takeImages();
    EXPECT_EQ (again[2].getPixelData(), images[2].getPixelData());
    EXPECT_EQ (juce::ImageCache::getFromMemory (sources[0].data, sources[0].size).getPixelData(), images[0].getPixelData());
}
