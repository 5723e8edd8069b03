#include "BrioImageLoader.h"

#include <png.h>

#include <cstring>

namespace
{
    juce::int64 cacheKey (const void* data)
    {
        return (juce::int64) (juce::pointer_sized_int) data;
    }

    struct PngSource
    {
        const unsigned char* data;
        size_t size;
        size_t position;
    };

    void readFromMemory (png_structp png, png_bytep out, png_size_t length)
    {
        auto& source = *static_cast<PngSource*> (png_get_io_ptr (png));

        if (length > source.size - source.position)
            png_error (png, "read past the end");

        std::memcpy (out, source.data + source.position, length);
        source.position += length;
    }

    /** JUCE's pixels carry their colours premultiplied by alpha; PNG's don't. JUCE's own
        rounding, so that the pictures come out as its decoder makes them. */
    void premultiply (juce::Image::BitmapData& bitmap)
    {
        for (int y = 0; y < bitmap.height; ++y)
        {
            auto* pixel = reinterpret_cast<juce::PixelARGB*> (bitmap.getLinePointer (y));

            for (int x = 0; x < bitmap.width; ++x)
                pixel[x].premultiply();
        }
    }

    /** Reads the header and sets the conversions; false when the data is unreadable or
        too large. Only plain data may live in this function and in readPixels: a libpng
        error jumps out of them, past any destructor. */
    bool readHeader (png_structp png, png_infop info, PngSource& source,
                     png_uint_32& width, png_uint_32& height, int& passes)
    {
        if (setjmp (png_jmpbuf (png)) != 0)
            return false;

        png_set_read_fn (png, &source, readFromMemory);

        // The data is compiled into the program, so the checksums guard against nothing
        // here; skipping them saves a tenth of the decoding time.
        png_set_option (png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
        png_set_crc_action (png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);

        png_read_info (png, info);
        int bitDepth = 0, colourType = 0;
        png_get_IHDR (png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);

        if (width == 0 || height == 0 || width > 16384 || height > 65536)
            return false;

        // Whatever the file holds becomes 8-bit B, G, R, A: JUCE's ARGB in memory.
        png_set_expand (png);
        png_set_strip_16 (png);
        png_set_gray_to_rgb (png);
        png_set_add_alpha (png, 0xff, PNG_FILLER_AFTER);
        png_set_bgr (png);
        passes = png_set_interlace_handling (png);
        png_read_update_info (png, info);
        return true;
    }

    /** Reads the rows straight into the picture's lines; an interlaced file takes one
        sweep a pass, each filling in what the last left. */
    bool readPixels (png_structp png, juce::uint8* firstLine, size_t lineStride, png_uint_32 height, int passes)
    {
        if (setjmp (png_jmpbuf (png)) != 0)
            return false;

        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < height; ++y)
                png_read_row (png, firstLine + y * lineStride, nullptr);

        png_read_end (png, nullptr);
        return true;
    }

    /** libpng's own decoder, somewhat faster than JUCE's; null when libpng refuses the
        data. */
    juce::Image decodePng (const void* data, int size)
    {
        auto* png = png_create_read_struct (PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        auto* info = png != nullptr ? png_create_info_struct (png) : nullptr;
        PngSource source { static_cast<const unsigned char*> (data), (size_t) size, 0 };
        png_uint_32 width = 0, height = 0;
        int passes = 1;
        juce::Image image;
        bool read = false;

        if (info != nullptr && readHeader (png, info, source, width, height, passes))
        {
            image = juce::Image (juce::Image::ARGB, (int) width, (int) height, false);
            juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::writeOnly);
            read = readPixels (png, bitmap.getLinePointer (0), (size_t) bitmap.lineStride, height, passes);

            if (read)
                premultiply (bitmap);
        }

        png_destroy_read_struct (&png, &info, nullptr);
        return read ? image : juce::Image();
    }

    juce::Image decode (const void* data, int size)
    {
        // A PNG that libpng refuses is not handed to JUCE's loader: it would go through
        // the same libpng and be refused again, and on a spoilt header JUCE 7.0.5's
        // loader has crashed instead.
        if (size >= 8 && png_sig_cmp (static_cast<png_const_bytep> (data), 0, 8) == 0)
            return decodePng (data, size);

        return juce::ImageFileFormat::loadFrom (data, (size_t) size);
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
            decodes[i] = std::async (std::launch::async, [source = sources[i]] { return decode (source.data, source.size); });
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
