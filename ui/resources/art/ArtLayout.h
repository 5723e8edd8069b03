#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ArtMaker
{

//==============================================================================
/** Where a knob's frame lies on the 650 x 420 panel and how its knob is drawn in it.
    The knob's centre sits over the caption that the editor centres beneath it, so the
    background, the filmstrip and the caption line up. */
struct KnobLook
{
    juce::String fileName;
    juce::Point<int> framePosition;          // panel coordinates
    int frameWidth, frameHeight, frameCount;
    juce::Point<float> centre;               // in the frame
    float capRadius, arcRadius, arcThickness;
    int tickCount, majorTickEvery;            // ticks outside the arc; 0 for none
    bool bipolar;                             // value arc grows from the top (unity gain)

    juce::Point<float> centreOnPanel() const   { return centre + framePosition.toFloat(); }
};

/** The five knobs in the order of their files. The frame sizes and counts are fixed by
    the editor; the rest is the look. */
inline const std::vector<KnobLook>& getKnobLooks()
{
    static const std::vector<KnobLook> looks {
        { "knob_frequency.png",  { 27, 89 },  310, 290, 149, { 156.0f, 146.0f }, 80.0f, 101.0f, 5.0f, 41, 5, false },
        { "knob_emphasis.png",   { 350, 84 }, 142, 146, 65,  { 66.0f, 66.0f },   33.0f, 43.0f, 3.0f, 21, 5, false },
        { "knob_operations.png", { 356, 235 }, 135, 144, 4,  { 60.0f, 75.0f },   31.0f, 43.0f, 3.0f, 0, 0, false },
        { "knob_gain.png",       { 499, 84 }, 148, 146, 65,  { 69.0f, 66.0f },   33.0f, 43.0f, 3.0f, 21, 5, true },
        { "knob_mix.png",        { 499, 236 }, 148, 157, 65, { 69.0f, 74.0f },   33.0f, 43.0f, 3.0f, 21, 5, false },
    };
    return looks;
}

/** The knobs turn through 270 degrees, their gap at the bottom above the caption. */
constexpr float knobStartAngle = -0.75f * juce::MathConstants<float>::pi;
constexpr float knobEndAngle   =  0.75f * juce::MathConstants<float>::pi;

inline float angleForProportion (float proportion)
{
    return knobStartAngle + proportion * (knobEndAngle - knobStartAngle);
}

//==============================================================================
/** The panel's two sections: the big Frequency knob on the left, the four small
    controls on the right. */
const juce::Rectangle<float> leftSection  { 22.0f, 58.0f, 322.0f, 344.0f };
const juce::Rectangle<float> rightSection { 354.0f, 58.0f, 276.0f, 344.0f };
constexpr int topBarHeight = 47;

/** The preset bar and the buttons that sit on it, in panel coordinates. */
const juce::Rectangle<int> presetBarBounds { 205, 10, 322, 28 };
const juce::Rectangle<int> presetNameBounds { 228, 11, 202, 25 };

} // namespace ArtMaker
