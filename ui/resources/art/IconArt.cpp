#include "IconArt.h"
#include "ArtStyle.h"

namespace ArtMaker
{

namespace
{
    juce::Path evenOdd (juce::Path path)
    {
        path.setUsingNonZeroWinding (false);
        return path;
    }

    juce::Path strokeOf (const juce::Path& path, float width)
    {
        juce::Path stroked;
        juce::PathStrokeType (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded)
            .createStrokedPath (stroked, path);
        return stroked;
    }

    juce::Path triangleGlyph (juce::Rectangle<float> box, bool pointsUp)
    {
        const auto c = box.getCentre();
        const auto tip = pointsUp ? -2.0f : 2.0f;
        juce::Path p;
        p.addTriangle (c.x - 3.5f, c.y - tip, c.x + 3.5f, c.y - tip, c.x, c.y + tip);
        return p;
    }

    juce::Path diskGlyph (juce::Point<float> origin)
    {
        juce::Path p;
        const auto x = origin.x, y = origin.y;
        p.startNewSubPath (x, y);                 // 13 x 13, its top right corner cut
        p.lineTo (x + 10.5f, y);
        p.lineTo (x + 13.0f, y + 2.5f);
        p.lineTo (x + 13.0f, y + 13.0f);
        p.lineTo (x, y + 13.0f);
        p.closeSubPath();
        p.addRectangle (x + 3.0f, y, 6.0f, 4.0f);           // shutter
        p.addRectangle (x + 2.0f, y + 7.0f, 9.0f, 4.5f);    // label
        return evenOdd (p);
    }

    juce::Path binGlyph (juce::Point<float> origin)
    {
        const auto x = origin.x, y = origin.y;
        juce::Path p;
        p.addRoundedRectangle (x, y + 2.0f, 12.0f, 1.5f, 0.5f);               // lid
        p.addRectangle (x + 4.0f, y, 4.0f, 1.5f);                             // handle
        p.startNewSubPath (x + 1.0f, y + 4.0f);                               // body
        p.lineTo (x + 11.0f, y + 4.0f);
        p.lineTo (x + 10.0f, y + 14.0f);
        p.lineTo (x + 2.0f, y + 14.0f);
        p.closeSubPath();

        // Whole-pixel slots stay sharp at the button's real size.
        for (const auto slot : { 4.0f, 7.0f })
            p.addRectangle (x + slot, y + 6.0f, 1.0f, 6.0f);

        return evenOdd (p);
    }

    juce::Path dieGlyph (juce::Point<float> origin)
    {
        juce::Path p;
        p.addRoundedRectangle (origin.x, origin.y, 13.0f, 13.0f, 2.5f);

        for (const auto pip : { juce::Point<float> (3.5f, 3.5f), { 9.5f, 3.5f }, { 6.5f, 6.5f },
                                { 3.5f, 9.5f }, { 9.5f, 9.5f } })
            p.addEllipse (juce::Rectangle<float> (3.0f, 3.0f).withCentre (origin + pip));

        return evenOdd (p);
    }

    juce::Path bellGlyph()
    {
        juce::Path p;
        p.startNewSubPath (4.5f, 14.0f);
        p.cubicTo (5.8f, 12.8f, 6.0f, 11.5f, 6.0f, 9.5f);
        p.cubicTo (6.0f, 6.9f, 7.7f, 5.2f, 10.0f, 5.2f);
        p.cubicTo (12.3f, 5.2f, 14.0f, 6.9f, 14.0f, 9.5f);
        p.cubicTo (14.0f, 11.5f, 14.2f, 12.8f, 15.5f, 14.0f);
        p.closeSubPath();
        p.addEllipse (8.9f, 3.2f, 2.2f, 2.2f);
        p.addEllipse (8.3f, 14.6f, 3.4f, 2.6f);
        return p;
    }

    juce::Path barsGlyph()
    {
        juce::Path p;
        for (const auto y : { 5.0f, 9.0f, 13.0f })
            p.addRoundedRectangle (5.0f, y, 10.0f, 2.0f, 1.0f);
        return p;
    }

    juce::Path powerGlyph()
    {
        const auto pi = juce::MathConstants<float>::pi;
        juce::Path ring;
        ring.addCentredArc (10.0f, 10.5f, 5.0f, 5.0f, 0.0f, pi * 0.22f, pi * 1.78f, true);
        juce::Path stem;
        stem.startNewSubPath (10.0f, 4.0f);
        stem.lineTo (10.0f, 9.5f);

        auto p = strokeOf (ring, 1.8f);
        p.addPath (strokeOf (stem, 1.8f));
        return p;
    }

    /** Glyphs of the preset bar sit centred in their key; the round ones are drawn for
        a 20 x 20 button. */
    juce::Path glyphPath (Glyph glyph, juce::Rectangle<float> box)
    {
        const auto centred = [box] (float w, float h)
        {
            return juce::Point<float> (std::round (box.getCentreX() - w * 0.5f), std::round (box.getCentreY() - h * 0.5f));
        };

        switch (glyph)
        {
            case Glyph::previous:  return triangleGlyph (box, true);
            case Glyph::next:      return triangleGlyph (box, false);
            case Glyph::save:      return diskGlyph (centred (13.0f, 13.0f));
            case Glyph::remove:    return binGlyph (centred (12.0f, 14.0f));
            case Glyph::randomise: return dieGlyph (centred (13.0f, 13.0f));
            case Glyph::news:      return bellGlyph();
            case Glyph::settings:  return barsGlyph();
            case Glyph::bypass:    return powerGlyph();
        }

        return {};
    }

    //==============================================================================
    /** The padlock drawn on a 64-unit grid; `transform` places it. The body carries the
        keyhole as a hole. */
    void fillPadlock (juce::Graphics& g, bool open, const juce::AffineTransform& transform, float shackleWidth)
    {
        juce::Path shackle;
        const auto lift = open ? 8.0f : 0.0f;
        shackle.startNewSubPath (43.0f, 30.0f);
        shackle.lineTo (43.0f, 22.0f - lift);
        shackle.addCentredArc (32.0f, 22.0f - lift, 11.0f, 11.0f, 0.0f,
                               0.5f * juce::MathConstants<float>::pi, -0.5f * juce::MathConstants<float>::pi);
        shackle.lineTo (21.0f, open ? 16.0f : 30.0f);
        g.fillPath (strokeOf (shackle, shackleWidth), transform);

        juce::Path body;
        body.addRoundedRectangle (13.0f, 28.0f, 38.0f, 29.0f, 5.0f);
        body.addEllipse (28.0f, 35.0f, 8.0f, 8.0f);
        body.addRoundedRectangle (30.5f, 40.0f, 3.0f, 9.0f, 1.0f);
        g.fillPath (evenOdd (body), transform);
    }

    juce::AffineTransform padlockInto (juce::Rectangle<float> area)
    {
        return juce::AffineTransform::scale (area.getWidth() / 64.0f).translated (area.getPosition());
    }
}

//==============================================================================
juce::Image makeKeyButton (Glyph glyph, int width, int height, bool down)
{
    auto image = makeCanvas (width, height);
    juce::Graphics g (image);
    const auto box = image.getBounds().toFloat();

    g.setColour (down ? Palette::keyDown : Palette::key);
    g.fillRoundedRectangle (box, 2.0f);
    g.setColour (down ? Palette::glyphDown : Palette::glyph);
    g.fillPath (glyphPath (glyph, box));
    return image;
}

juce::Image makeRoundButton (Glyph glyph, int size, bool down)
{
    auto image = makeCanvas (size, size);
    juce::Graphics g (image);
    const auto box = image.getBounds().toFloat();
    const auto scale = juce::AffineTransform::scale ((float) size / 20.0f);

    if (down)
    {
        g.setColour (Palette::light);
        g.fillEllipse (box);
    }

    g.setColour (down ? Palette::dark : Palette::glyph);
    g.fillPath (glyphPath (glyph, box), scale);
    return image;
}

juce::Image makePadlock (bool open)
{
    auto image = makeCanvas (64, 64);
    juce::Graphics g (image);
    g.setColour (Palette::light);
    fillPadlock (g, open, {}, 7.0f);
    return image;
}

juce::Image makeLockStyle (int style)
{
    auto image = makeCanvas (26, 26);
    juce::Graphics g (image);
    const auto box = image.getBounds().toFloat();

    switch (style)
    {
        case 0:     // the plain padlock
            g.setColour (Palette::light);
            fillPadlock (g, false, padlockInto (box), 8.0f);
            break;

        case 1:     // the padlock on a plate of the panel's own colour
            g.setColour (Palette::dark);
            g.fillRoundedRectangle (box, 5.0f);
            g.setColour (Palette::light);
            fillPadlock (g, false, padlockInto (box.reduced (3.0f)), 9.0f);
            break;

        case 2:     // dark on a lit disc
            g.setColour (Palette::light);
            g.fillEllipse (box);
            g.setColour (Palette::dark);
            fillPadlock (g, false, padlockInto (box.reduced (5.0f)), 9.0f);
            break;

        default:    // lit on a dark disc with a lit ring: reads on any part of a knob
            g.setColour (Palette::well.withAlpha (0.92f));
            g.fillEllipse (box);
            g.setColour (Palette::light);
            g.drawEllipse (box.reduced (1.0f), 2.0f);
            fillPadlock (g, false, padlockInto (box.reduced (6.0f)), 9.0f);
            break;
    }

    return image;
}

} // namespace ArtMaker
