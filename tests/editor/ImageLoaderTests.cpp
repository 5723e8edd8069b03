#include <gtest/gtest.h>

#include <BrioArt.h>
#include <BrioImageLoader.h>

#include <png.h>

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

    void appendToBlock (png_structp png, png_bytep data, png_size_t length)
    {
        static_cast<juce::MemoryBlock*> (png_get_io_ptr (png))->append (data, length);
    }

    /** An interlaced RGBA picture with soft edges: JUCE's writer never makes one. */
    juce::MemoryBlock writeInterlacedPng (int width, int height)
    {
        juce::MemoryBlock block;
        auto* png = png_create_write_struct (PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        auto* info = png_create_info_struct (png);

        if (setjmp (png_jmpbuf (png)) == 0)
        {
            png_set_write_fn (png, &block, appendToBlock, nullptr);
            png_set_IHDR (png, info, (png_uint_32) width, (png_uint_32) height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                          PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info (png, info);
            const int passes = png_set_interlace_handling (png);
            std::vector<png_byte> row ((size_t) width * 4);

            for (int pass = 0; pass < passes; ++pass)
                for (int y = 0; y < height; ++y)
                {
                    for (int x = 0; x < width; ++x)
                        for (int c = 0; c < 4; ++c)
                            row[(size_t) (x * 4 + c)] = (png_byte) ((x * 37 + y * 11 + c * 60) & 0xff);

                    png_write_row (png, row.data());
                }

            png_write_end (png, nullptr);
        }

        png_destroy_write_struct (&png, &info);
        return block;
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

TEST (BrioImageLoader, ReadsInterlacedPicturesAndRefusesBrokenOnes)
{
    const auto interlaced = writeInterlacedPng (23, 17);
    ASSERT_GT (interlaced.getSize(), 8u);

    // A filmstrip cut short after its header, and one whose header is spoilt.
    juce::MemoryBlock cut (BrioArt::knob_operations_png, (size_t) BrioArt::knob_operations_pngSize / 2);
    juce::MemoryBlock spoilt (BrioArt::knob_operations_png, (size_t) BrioArt::knob_operations_pngSize);
    static_cast<char*> (spoilt.getData())[16] = (char) 0xff;

    const std::vector<BrioImageLoader::Source> sources { { interlaced.getData(), (int) interlaced.getSize() },
                                                         { cut.getData(), (int) cut.getSize() },
                                                         { spoilt.getData(), (int) spoilt.getSize() } };
    const auto images = BrioImageLoader (sources).takeImages();
    ASSERT_EQ (images.size(), sources.size());

    EXPECT_TRUE (samePixels (images[0], juce::ImageFileFormat::loadFrom (interlaced.getData(), interlaced.getSize())));
    EXPECT_TRUE (images[1].isNull());
    EXPECT_TRUE (images[2].isNull());
}
