#include "PanelArt.h"
#include "ArtLayout.h"
#include "ArtStyle.h"
#include "KnobArt.h"

namespace ArtMaker
{

namespace
{
    void drawTopBar (juce::Graphics& g, int width)
    {
        g.setColour (Palette::topBar);
        g.fillRect (0, 0, width, topBarHeight);
        g.setColour (Palette::edge);
        g.fillRect (0, topBarHeight, width, 1);
    }

    void drawSection (juce::Graphics& g, juce::Rectangle<float> area)
    {
        g.setColour (Palette::section);
        g.fillRoundedRectangle (area, 6.0f);
        g.setColour (Palette::edge);
        g.drawRoundedRectangle (area.reduced (0.5f), 6.0f, 1.0f);

        // A bevel: the top edge catches the light.
        g.setColour (juce::Colours::white.withAlpha (0.03f));
        g.fillRect (area.reduced (6.0f, 0.0f).withHeight (1.0f).translated (0.0f, 1.0f));
    }

    /** Thin rules between the four small controls, stopping short of the section's
        edge like the seams of a machined plate. */
    void drawRightDividers (juce::Graphics& g)
    {
        const auto area = rightSection.reduced (16.0f);
        const auto middleX = std::round (area.getCentreX());
        const auto middleY = 232.0f;

        g.setColour (Palette::edge);
        g.fillRect (juce::Rectangle<float> (area.getX(), middleY, area.getWidth(), 1.0f));
        g.fillRect (juce::Rectangle<float> (middleX, area.getY(), 1.0f, area.getHeight()));
    }

    /** Under every knob a recessed socket, so that the knob sits in the panel rather
        than on it, and the knob's printed scale. */
    void drawKnobBeds (juce::Graphics& g)
    {
        for (const auto& look : getKnobLooks())
        {
            const auto radius = look.capRadius + 6.0f;
            const auto socket = juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (look.centreOnPanel());
            g.setColour (Palette::well);
            g.fillEllipse (socket);
            g.setColour (juce::Colours::white.withAlpha (0.04f));
            g.drawEllipse (socket.expanded (0.5f), 1.0f);

            const juce::Graphics::ScopedSaveState state (g);
            g.setOrigin (look.framePosition);
            drawKnobScale (g, look);
        }
    }
}

juce::Image makeBackground()
{
    auto image = makeCanvas (650, 420);
    juce::Graphics g (image);

    g.fillAll (Palette::dark);
    drawTopBar (g, image.getWidth());
    drawSection (g, leftSection);
    drawSection (g, rightSection);
    drawRightDividers (g);
    drawKnobBeds (g);
    return image;
}

juce::Image makePresetBar()
{
    auto image = makeCanvas (presetBarBounds.getWidth(), presetBarBounds.getHeight());
    juce::Graphics g (image);
    const auto area = image.getBounds().toFloat();

    g.setColour (Palette::well);
    g.fillRoundedRectangle (area, 4.0f);
    g.setColour (Palette::edge);
    g.drawRoundedRectangle (area.reduced (0.5f), 4.0f, 1.0f);

    // The name field is the only part that no button covers: a faint face of its own.
    const auto name = presetNameBounds - presetBarBounds.getPosition();
    g.setColour (Palette::key.darker (0.2f));
    g.fillRect (name);
    return image;
}

} // namespace ArtMaker
