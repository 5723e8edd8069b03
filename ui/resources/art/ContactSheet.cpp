#include "ContactSheet.h"
#include "ArtLayout.h"
#include "ArtStyle.h"
#include "KnobArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ArtMaker
{

namespace
{
    /** The editor's own face, straight from the system's copy: the sheet shows the
        captions as the editor will. */
    juce::Font openSans (float height, bool bold)
    {
        const juce::File file (bold ? "/usr/share/fonts/truetype/open-sans/OpenSans-Bold.ttf"
                                    : "/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf");
        juce::MemoryBlock data;

        if (file.loadFileAsData (data))
            if (auto face = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize()))
                return juce::Font (face).withHeight (height);

        return juce::Font (height, bold ? juce::Font::bold : juce::Font::plain);
    }

    struct Sheet
    {
        const juce::OwnedArray<NamedPicture>& pictures;
        const juce::File svgFolder;

        juce::Image find (const juce::String& name) const
        {
            for (const auto* p : pictures)
                if (p->name == name)
                    return p->image;

            return {};
        }

        std::unique_ptr<juce::Drawable> drawing (const juce::String& name, juce::Colour colour) const
        {
            juce::MemoryBlock data;
            svgFolder.getChildFile (name).loadFileAsData (data);
            auto d = juce::Drawable::createFromImageData (data.getData(), data.getSize());

            if (d != nullptr)
                d->replaceColour (juce::Colours::black, colour);

            return d;
        }

        static juce::Image frameOf (const juce::Image& strip, int frameCount, int frame)
        {
            const auto h = strip.getHeight() / frameCount;
            return strip.getClippedImage ({ 0, frame * h, strip.getWidth(), h });
        }

        void drawPicture (juce::Graphics& g, const juce::String& name, int x, int y) const
        {
            g.drawImageAt (find (name), x, y);
        }

        void drawCaption (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> area, float height, bool bold) const
        {
            g.setColour (Palette::light);
            g.setFont (openSans (height, bold));
            g.drawText (text, area, juce::Justification::centred);
        }

        /** The panel as the editor lays it out, with every knob at its default. */
        void drawPanel (juce::Graphics& g) const
        {
            drawPicture (g, "background.png", 0, 0);

            if (auto logo = drawing ("logo.svg", Palette::light))
                logo->drawWithin (g, { 7.0f, 5.0f, 35.0f, 35.0f }, juce::RectanglePlacement::centred, 1.0f);

            g.setColour (Palette::light);
            g.setFont (openSans (27.0f, true));
            g.drawText ("TANGLEFIX", juce::Rectangle<int> (37, 2, 120, 44).reduced (5, 1), juce::Justification::centredLeft);

            drawPicture (g, "preset_bar.png", 205, 10);
            drawPicture (g, "previous.png", 206, 11);
            drawPicture (g, "next_down.png", 206, 24);
            g.setFont (openSans (14.0f, false));
            g.drawText ("Init", presetNameBounds.reduced (6, 0), juce::Justification::centredLeft);
            drawPicture (g, "save.png", 431, 11);
            drawPicture (g, "delete.png", 463, 11);
            drawPicture (g, "random_down.png", 495, 11);
            drawPicture (g, "news.png", 557, 13);
            drawPicture (g, "settings.png", 585, 13);
            drawPicture (g, "bypass.png", 613, 13);

            const float defaults[] { 0.5f, 0.5f, 0.0f, 0.5f, 0.5f };
            int index = 0;

            for (const auto& look : getKnobLooks())
            {
                const auto frame = (int) ((float) (look.frameCount - 1) * defaults[index++]);
                g.drawImageAt (frameOf (find (look.fileName), look.frameCount, frame),
                               look.framePosition.x, look.framePosition.y);
            }

            g.drawImage (find ("lock_style_4.png"), { 360.0f, 94.0f, 13.0f, 13.0f });

            drawCaption (g, "FREQUENCY", { 28, 370, 310, 18 }, 18.0f, false);
            drawCaption (g, "MIX", { 494, 372, 148, 16 }, 16.0f, false);
            drawCaption (g, "GAIN", { 494, 211, 148, 16 }, 16.0f, false);
            drawCaption (g, "EMPHASIS", { 345, 211, 142, 16 }, 16.0f, false);
            drawCaption (g, juce::String::fromUTF8 ("+ \xc3\x97 +"), { 349, 370, 135, 16 }, 18.0f, true);
        }

        /** Every button, normal and down side by side, four times enlarged so that each
            pixel shows, and once at its real size. */
        /** Buttons, normal and down side by side, four times enlarged so that each pixel
            shows, and once at their real size. */
        void drawButtons (juce::Graphics& g, juce::Point<int> origin, juce::StringArray names) const
        {
            auto y = origin.y;

            for (const auto& name : names)
            {
                const auto normal = find (name + ".png");
                const auto down = find (name + "_down.png");
                const auto w = normal.getWidth() * 4, h = normal.getHeight() * 4;

                g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
                g.drawImage (normal, { (float) origin.x, (float) y, (float) w, (float) h });
                g.drawImage (down, { (float) (origin.x + w + 10), (float) y, (float) w, (float) h });
                g.drawImageAt (normal, origin.x + 2 * w + 30, y);
                g.drawImageAt (down, origin.x + 2 * w + 40 + normal.getWidth(), y);
                y += h + 10;
            }
        }

        void drawLocks (juce::Graphics& g, juce::Point<int> origin) const
        {
            drawPicture (g, "padlock_closed.png", origin.x, origin.y);
            drawPicture (g, "padlock_open.png", origin.x + 74, origin.y);
            g.drawImage (find ("padlock_closed.png"), { (float) origin.x + 150.0f, (float) origin.y, 13.0f, 13.0f });
            g.drawImage (find ("padlock_open.png"), { (float) origin.x + 170.0f, (float) origin.y, 13.0f, 13.0f });

            for (int style = 1; style <= 4; ++style)
            {
                const auto x = origin.x + (style - 1) * 70;
                const auto image = find ("lock_style_" + juce::String (style) + ".png");
                g.drawImage (image, { (float) x, (float) origin.y + 80.0f, 52.0f, 52.0f });
                g.drawImageAt (image, x, origin.y + 140);
                g.drawImage (image, { (float) x + 34.0f, (float) origin.y + 140.0f, 13.0f, 13.0f });
            }
        }

        void drawDrawings (juce::Graphics& g, juce::Point<int> origin, juce::Colour colour) const
        {
            const char* names[] { "logo.svg", "link_1.svg", "link_2.svg", "link_3.svg", "link_4.svg",
                                  "news_kind_1.svg", "news_kind_2.svg", "news_other.svg" };
            auto x = origin.x;

            for (const auto* name : names)
            {
                for (const auto& [size, dy] : { std::pair (48.0f, 0.0f), std::pair (15.0f, 60.0f) })
                {
                    if (auto d = drawing (name, colour))
                        d->drawWithin (g, { (float) x, (float) origin.y + dy, size, size }, juce::RectanglePlacement::centred, 1.0f);
                }

                x += 60;
            }
        }

        /** Frames at the minimum, a quarter, half, three quarters and the maximum. */
        void drawKnobFrames (juce::Graphics& g, juce::Point<int> origin) const
        {
            auto y = origin.y;

            for (const auto& look : getKnobLooks())
            {
                const auto strip = find (look.fileName);

                for (int i = 0; i < 5; ++i)
                {
                    const auto frame = look.frameCount == 4 ? juce::jmin (i, 3)
                                                            : (look.frameCount - 1) * i / 4;
                    const juce::Graphics::ScopedSaveState state (g);
                    g.setOrigin (origin.x + i * (look.frameWidth + 8), y);
                    g.setColour (Palette::section);
                    g.fillRect (0, 0, look.frameWidth, look.frameHeight);
                    drawKnobScale (g, look);
                    g.setOpacity (1.0f);    // images take the opacity of the last colour
                    g.drawImageAt (frameOf (strip, look.frameCount, frame), 0, 0);
                }

                y += look.frameHeight + 8;
            }
        }
    };
}

juce::Image makeContactSheet (const juce::OwnedArray<NamedPicture>& pictures, const juce::File& svgFolder)
{
    const Sheet sheet { pictures, svgFolder };
    auto image = makeCanvas (1620, 1760);
    juce::Graphics g (image);
    g.fillAll (Palette::dark.darker (0.5f));

    {
        const juce::Graphics::ScopedSaveState state (g);
        g.setOrigin (10, 10);
        sheet.drawPanel (g);
    }

    sheet.drawButtons (g, { 680, 10 }, { "previous", "next", "save", "delete", "random" });
    sheet.drawButtons (g, { 1060, 10 }, { "news", "settings", "bypass" });
    sheet.drawLocks (g, { 1060, 290 });
    sheet.drawDrawings (g, { 20, 450 }, Palette::light);

    // The drawings on white too: a part that is not black, or a soft edge, shows there.
    g.setColour (juce::Colours::white);
    g.fillRect (10, 580, 650, 150);
    sheet.drawDrawings (g, { 20, 600 }, juce::Colours::black);

    sheet.drawKnobFrames (g, { 10, 760 });

    // The panel's right half as the editor shows it at twice the size.
    {
        const juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (800, 1280, 800, 470);
        g.setOrigin (800 - 2 * 340, 1280 - 2 * 180);
        g.addTransform (juce::AffineTransform::scale (2.0f));
        g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
        sheet.drawPanel (g);
    }

    return image;
}

} // namespace ArtMaker
