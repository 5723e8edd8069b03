#pragma once

#include "ArtLayout.h"

namespace ArtMaker
{

/** The filmstrip of a knob: one frame per position, the indicator and the value arc
    turning with the frames. A knob with four frames is the Operations selector, which
    lights one of its four detents instead of an arc. */
juce::Image makeKnobFilmstrip (const KnobLook& look);

} // namespace ArtMaker
