#pragma once

#include "BrioKnob.h"

//==============================================================================
/**
    The Operations control: a knob with four positions, 0, 0.34, 0.68 and 1, one per
    sum and product pattern.

    Its parameter is continuous (hosts automate it anywhere in 0..1) and the processor
    plays pattern operationsIndexForValue of it. Left to the slider's snapping, a value
    would land on the nearest position, which is not always the pattern that plays (0.2
    plays pattern 0 but snaps to the second position), so the knob stands at the
    position of the pattern that plays. Dragging it still sets the parameter to the
    position's own value.
*/
struct TanglefixOperationsKnob
{
    static constexpr int numPositions = 4;
    static constexpr double interval = 0.34;

    /** Where the knob stands for a parameter value: the position of its pattern. */
    static double positionForValue (float value) noexcept;

    /** Gives a knob that setup has bound to the Operations parameter its four positions,
        and puts it where the playing pattern's position is. */
    static void configure (LarkspanBrio::BrioKnob& knob);
};
