#include <BrioArt.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
    struct Picture
    {
        const char* name;
        const char* data;
        int size;
        int width, height, frames;
    };

    // The sizes the editor lays its children out by.
    const Picture pictures[] {
        { "background", BrioArt::background_png, BrioArt::background_pngSize, 650, 420, 1 },
        { "preset_bar", BrioArt::preset_bar_png, BrioArt::preset_bar_pngSize, 322, 28, 1 },
        { "previous", BrioArt::previous_png, BrioArt::previous_pngSize, 21, 12, 1 },
        { "previous_down", BrioArt::previous_down_png, BrioArt::previous_down_pngSize, 21, 12, 1 },
        { "next", BrioArt::next_png, BrioArt::next_pngSize, 21, 12, 1 },
        { "next_down", BrioArt::next_down_png, BrioArt::next_down_pngSize, 21, 12, 1 },
        { "save", BrioArt::save_png, BrioArt::save_pngSize, 31, 25, 1 },
        { "save_down", BrioArt::save_down_png, BrioArt::save_down_pngSize, 31, 25, 1 },
        { "delete", BrioArt::delete_png, BrioArt::delete_pngSize, 31, 25, 1 },
        { "delete_down", BrioArt::delete_down_png, BrioArt::delete_down_pngSize, 31, 25, 1 },
        { "random", BrioArt::random_png, BrioArt::random_pngSize, 31, 25, 1 },
        { "random_down", BrioArt::random_down_png, BrioArt::random_down_pngSize, 31, 25, 1 },
        { "news", BrioArt::news_png, BrioArt::news_pngSize, 20, 20, 1 },
        { "news_down", BrioArt::news_down_png, BrioArt::news_down_pngSize, 20, 20, 1 },
        { "settings", BrioArt::settings_png, BrioArt::settings_pngSize, 20, 20, 1 },
        { "settings_down", BrioArt::settings_down_png, BrioArt::settings_down_pngSize, 20, 20, 1 },
        { "bypass", BrioArt::bypass_png, BrioArt::bypass_pngSize, 20, 20, 1 },
        { "bypass_down", BrioArt::bypass_down_png, BrioArt::bypass_down_pngSize, 20, 20, 1 },
        { "knob_frequency", BrioArt::knob_frequency_png, BrioArt::knob_frequency_pngSize, 310, 290, 149 },
        { "knob_emphasis", BrioArt::knob_emphasis_png, BrioArt::knob_emphasis_pngSize, 142, 146, 65 },
        { "knob_operations", BrioArt::knob_operations_png, BrioArt::knob_operations_pngSize, 135, 144, 4 },
        { "knob_gain", BrioArt::knob_gain_png, BrioArt::knob_gain_pngSize, 148, 146, 65 },
        { "knob_mix", BrioArt::knob_mix_png, BrioArt::knob_mix_pngSize, 148, 157, 65 },
        { "padlock_closed", BrioArt::padlock_closed_png, BrioArt::padlock_closed_pngSize, 64, 64, 1 },
        { "padlock_open", BrioArt::padlock_open_png, BrioArt::padlock_open_pngSize, 64, 64, 1 },
        { "lock_style_1", BrioArt::lock_style_1_png, BrioArt::lock_style_1_pngSize, 26, 26, 1 },
        { "lock_style_2", BrioArt::lock_style_2_png, BrioArt::lock_style_2_pngSize, 26, 26, 1 },
        { "lock_style_3", BrioArt::lock_style_3_png, BrioArt::lock_style_3_pngSize, 26, 26, 1 },
        { "lock_style_4", BrioArt::lock_style_4_png, BrioArt::lock_style_4_pngSize, 26, 26, 1 },
    };

    juce::Image decode (const Picture& p)
    {
        return juce::ImageFileFormat::loadFrom (p.data, (size_t) p.size);
    }

    juce::Image frameOf (const juce::Image& strip, int frameCount, int frame)
    {
        const auto height = strip.getHeight() / frameCount;
        return strip.getClippedImage ({ 0, frame * height, strip.getWidth(), height });
    }

    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    /** How many pixels of a picture are not fully transparent. */
    int coveredPixels (const juce::Image& image)
    {
        int count = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                count += image.getPixelAt (x, y).getAlpha() > 0 ? 1 : 0;

        return count;
    }
}

//==============================================================================
TEST (ArtPictures, EveryPictureDecodesAtItsLayoutSize)
{
    for (const auto& p : pictures)
    {
        SCOPED_TRACE (p.name);
        const auto image = decode (p);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), p.width);
        EXPECT_EQ (image.getHeight(), p.height * p.frames);
        EXPECT_GT (coveredPixels (frameOf (image, p.frames, 0)), 0);
    }
}

TEST (ArtPictures, TheBackgroundIsOpaqueAndInThePanelColour)
{
    const auto background = decode (pictures[0]);

    EXPECT_FALSE (background.hasAlphaChannel() && coveredPixels (background) < 650 * 420);
    EXPECT_EQ (background.getPixelAt (1, 60).getARGB(), 0xff212528u);
}

TEST (ArtPictures, EveryButtonLooksDifferentWhenDown)
{
    for (size_t i = 2; i < 18; i += 2)
    {
        SCOPED_TRACE (pictures[i].name);
        EXPECT_FALSE (samePixels (decode (pictures[i]), decode (pictures[i + 1])));
    }
}

TEST (ArtPictures, KnobFramesTurn)
{
    for (size_t i = 18; i < 23; ++i)
    {
        const auto& p = pictures[i];
        SCOPED_TRACE (p.name);
        const auto strip = decode (p);

        // Neighbouring frames differ, so every step of the knob shows.
        for (int frame = 1; frame < p.frames; ++frame)
            EXPECT_FALSE (samePixels (frameOf (strip, p.frames, frame - 1), frameOf (strip, p.frames, frame))) << frame;
    }
}

// The editor lays each knob's caption over the bottom of its frame: a knob drawn into
// that band would run into its caption.
TEST (ArtPictures, KnobsLeaveTheirCaptionBandsClear)
{
    struct Band { size_t picture; int top; };
    const Band bands[] { { 18, 281 }, { 19, 127 }, { 20, 135 }, { 21, 127 }, { 22, 136 } };

    for (const auto& band : bands)
    {
        const auto& p = pictures[band.picture];
        SCOPED_TRACE (p.name);
        const auto strip = decode (p);

        for (int frame = 0; frame < p.frames; ++frame)
        {
            const auto caption = frameOf (strip, p.frames, frame).getClippedImage ({ 0, band.top, p.width, p.height - band.top });
            ASSERT_EQ (coveredPixels (caption), 0) << frame;
        }
    }
}

//==============================================================================
namespace
{
    struct Drawing
    {
        const char* name;
        const char* data;
        int size;
    };

    const Drawing drawings[] {
        { "logo", BrioArt::logo_svg, BrioArt::logo_svgSize },
        { "link_1", BrioArt::link_1_svg, BrioArt::link_1_svgSize },
        { "link_2", BrioArt::link_2_svg, BrioArt::link_2_svgSize },
        { "link_3", BrioArt::link_3_svg, BrioArt::link_3_svgSize },
        { "link_4", BrioArt::link_4_svg, BrioArt::link_4_svgSize },
        { "news_kind_1", BrioArt::news_kind_1_svg, BrioArt::news_kind_1_svgSize },
        { "news_kind_2", BrioArt::news_kind_2_svg, BrioArt::news_kind_2_svgSize },
        { "news_other", BrioArt::news_other_svg, BrioArt::news_other_svgSize },
    };
}

// The editor draws every drawing in a colour of its own by replacing black: a part in
// any other colour would keep it.
TEST (ArtDrawings, EveryDrawingParsesAndTakesTheEditorsColour)
{
    const auto recoloured = juce::Colour (0xff10e020);

    for (const auto& d : drawings)
    {
        SCOPED_TRACE (d.name);
        auto drawable = juce::Drawable::createFromImageData (d.data, (size_t) d.size);
        ASSERT_NE (drawable, nullptr);
        EXPECT_FALSE (drawable->getDrawableBounds().isEmpty());

        drawable->replaceColour (juce::Colours::black, recoloured);
        juce::Image image (juce::Image::ARGB, 48, 48, true);
        {
            juce::Graphics g (image);
            drawable->drawWithin (g, image.getBounds().toFloat(), juce::RectanglePlacement::centred, 1.0f);
        }

        EXPECT_GT (coveredPixels (image), 48 * 48 / 8);

        // Overlapping edges may round a step off the colour; another colour is far off.
        for (int y = 0; y < image.getHeight(); ++y)
        {
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto pixel = image.getPixelAt (x, y);

                if (pixel.getAlpha() == 255)
                {
                    ASSERT_NEAR (pixel.getRed(), recoloured.getRed(), 2) << x << ", " << y;
                    ASSERT_NEAR (pixel.getGreen(), recoloured.getGreen(), 2) << x << ", " << y;
                    ASSERT_NEAR (pixel.getBlue(), recoloured.getBlue(), 2) << x << ", " << y;
                }
            }
        }
    }
}
