#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ArtMaker
{

//==============================================================================
/** The one palette of every picture: the panel's dark and light and a few steps
    between them, so that every part reads as made by the same hand. */
namespace Palette
{
    const juce::Colour dark      { 0xff212528 };   // the panel
    const juce::Colour light     { 0xffa4aab6 };   // text, glyphs, value arcs
    const juce::Colour topBar    { 0xff1b1e21 };
    const juce::Colour well      { 0xff15171a };   // recessed: the preset bar, knob sockets
    const juce::Colour section   { 0xff25292d };   // the raised sections under the knobs
    const juce::Colour edge      { 0xff30353a };   // outlines and dividers
    const juce::Colour track     { 0xff363b42 };   // unlit arcs and ticks
    const juce::Colour detent    { 0xff474d55 };   // unlit positions of a selector
    const juce::Colour capTop    { 0xff3a3f46 };
    const juce::Colour capBottom { 0xff2a2e33 };
    const juce::Colour capFace   { 0xff2e3338 };
    const juce::Colour key       { 0xff1e2125 };   // a button at rest
    const juce::Colour keyDown   { 0xff33383f };   // a button held or latched
    const juce::Colour glyph     { light.withMultipliedAlpha (0.8f) };
    const juce::Colour glyphDown { light.brighter (0.35f) };
}

//==============================================================================
/** A cleared ARGB picture: everything the tool draws keeps its transparency, so the
    pictures lie on the background and on each other without seams. */
inline juce::Image makeCanvas (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true);
}

/** Frames of a filmstrip lie stacked from the top, the first frame at the minimum. */
template <typename DrawFrame>
juce::Image makeFilmstrip (int frameWidth, int frameHeight, int frameCount, DrawFrame&& drawFrame)
{
    auto strip = makeCanvas (frameWidth, frameHeight * frameCount);
    juce::Graphics g (strip);

    for (int frame = 0; frame < frameCount; ++frame)
    {
        const juce::Graphics::ScopedSaveState state (g);
        g.setOrigin (0, frame * frameHeight);
        g.reduceClipRegion (0, 0, frameWidth, frameHeight);
        drawFrame (g, (float) frame / (float) (frameCount - 1));
    }

    return strip;
}

} // namespace ArtMaker
