#include "KnobArt.h"
#include "ArtStyle.h"

namespace ArtMaker
{

namespace
{
    juce::Path arcPath (juce::Point<float> centre, float radius, float fromAngle, float toAngle)
    {
        juce::Path arc;
        arc.addCentredArc (centre.x, centre.y, radius, radius, 0.0f, fromAngle, toAngle, true);
        return arc;
    }

    void strokeArc (juce::Graphics& g, const KnobLook& look, float fromAngle, float toAngle)
    {
        g.strokePath (arcPath (look.centre, look.arcRadius, fromAngle, toAngle),
                      juce::PathStrokeType (look.arcThickness, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));
    }

    void drawTicks (juce::Graphics& g, const KnobLook& look)
    {
        const auto inner = look.arcRadius + look.arcThickness * 0.5f + 3.0f;
        const auto width = juce::jmax (1.0f, look.arcThickness * 0.3f);

        for (int i = 0; i < look.tickCount; ++i)
        {
            const auto isMajor = i % look.majorTickEvery == 0;
            const auto angle = angleForProportion ((float) i / (float) (look.tickCount - 1));
            const auto length = look.arcThickness * (isMajor ? 1.6f : 0.9f);

            g.setColour (isMajor ? Palette::light.withAlpha (0.45f) : Palette::track);
            g.drawLine ({ look.centre.getPointOnCircumference (inner, angle),
                          look.centre.getPointOnCircumference (inner + length, angle) }, width);
        }
    }

    void drawValueArc (juce::Graphics& g, const KnobLook& look, float proportion)
    {
        const auto origin = look.bipolar ? 0.0f : knobStartAngle;
        const auto angle = angleForProportion (proportion);

        if (std::abs (angle - origin) < 0.001f)
            return;

        g.setColour (Palette::light);
        strokeArc (g, look, juce::jmin (origin, angle), juce::jmax (origin, angle));
    }

    juce::Rectangle<float> circle (juce::Point<float> centre, float radius)
    {
        return juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre);
    }

    void drawCap (juce::Graphics& g, const KnobLook& look)
    {
        const auto c = look.centre;
        const auto r = look.capRadius;

        // A flat shadow and a vertical gradient: light falls from above, and rows of one
        // colour keep the filmstrips small.
        g.setColour (juce::Colours::black.withAlpha (0.35f));
        g.fillEllipse (circle (c, r + 2.5f).translated (0.0f, 2.0f));

        g.setGradientFill (juce::ColourGradient::vertical (Palette::capTop, c.y - r, Palette::capBottom, c.y + r));
        g.fillEllipse (circle (c, r));

        // The rim catches the light along its top.
        g.setColour (juce::Colours::white.withAlpha (0.07f));
        g.strokePath (arcPath (c, r - 0.75f, -1.1f, 1.1f), juce::PathStrokeType (1.5f));

        g.setColour (Palette::capFace);
        g.fillEllipse (circle (c, r * 0.8f));
        g.setColour (juce::Colours::black.withAlpha (0.25f));
        g.drawEllipse (circle (c, r * 0.8f), 1.0f);
    }

    void drawIndicator (juce::Graphics& g, const KnobLook& look, float angle)
    {
        const auto width = juce::jmax (2.5f, look.capRadius * 0.07f);
        juce::Path line;
        line.startNewSubPath (look.centre.getPointOnCircumference (look.capRadius * 0.4f, angle));
        line.lineTo (look.centre.getPointOnCircumference (look.capRadius - width * 1.2f, angle));

        g.setColour (Palette::light);
        g.strokePath (line, juce::PathStrokeType (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    juce::Rectangle<float> detentDot (const KnobLook& look, int position)
    {
        const auto angle = angleForProportion ((float) position / (float) (look.frameCount - 1));
        return circle (look.centre.getPointOnCircumference (look.arcRadius, angle), look.arcThickness);
    }

    bool isSelector (const KnobLook& look)
    {
        return look.frameCount <= 4;
    }

    void drawKnobFrame (juce::Graphics& g, const KnobLook& look, float proportion)
    {
        if (isSelector (look))
        {
            g.setColour (Palette::light);
            g.fillEllipse (detentDot (look, juce::roundToInt (proportion * (float) (look.frameCount - 1))));
        }
        else
        {
            drawValueArc (g, look, proportion);
        }

        drawCap (g, look);
        drawIndicator (g, look, angleForProportion (proportion));
    }
}

void drawKnobScale (juce::Graphics& g, const KnobLook& look)
{
    if (isSelector (look))
    {
        g.setColour (Palette::detent);

        for (int position = 0; position < look.frameCount; ++position)
            g.fillEllipse (detentDot (look, position));

        return;
    }

    g.setColour (Palette::track);
    strokeArc (g, look, knobStartAngle, knobEndAngle);

    if (look.tickCount > 1)
        drawTicks (g, look);
}

juce::Image makeKnobFilmstrip (const KnobLook& look)
{
    return makeFilmstrip (look.frameWidth, look.frameHeight, look.frameCount,
                          [&look] (juce::Graphics& g, float proportion) { drawKnobFrame (g, look, proportion); });
}

} // namespace ArtMaker
