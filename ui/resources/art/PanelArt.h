#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ArtMaker
{

/** The 650 x 420 panel: the top bar for the name and the preset controls, and the two
    sections that hold the knobs and their captions. */
juce::Image makeBackground();

/** The 322 x 28 well of the preset controls, with the seams between its buttons. */
juce::Image makePresetBar();

} // namespace ArtMaker
