#pragma once

#include "ArtLayout.h"

namespace ArtMaker
{

/** The filmstrip of a knob: one frame per position, the indicator and the lit part of
    the value arc turning with the frames. A knob with four frames is the Operations
    selector, which lights one of its four detents instead of an arc. */
juce::Image makeKnobFilmstrip (const KnobLook& look);

/** What stays put while the knob turns: its unlit arc and ticks, or the selector's
    detents, in the frame's coordinates. The background carries it, so the frames hold
    only what changes and stay small. */
void drawKnobScale (juce::Graphics& g, const KnobLook& look);

} // namespace ArtMaker
