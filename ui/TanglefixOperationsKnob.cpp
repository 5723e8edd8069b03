#include "TanglefixOperationsKnob.h"

#include "TanglefixBrioParameter.h"

double TanglefixOperationsKnob::positionForValue (float value) noexcept
{
    const auto index = TanglefixAudioProcessor::BrioParameter::operationsIndexForValue (value);

    // The last step, 3 x 0.34, lies past the top; the slider ends at 1.
    return juce::jmin (1.0, interval * index);
}

void TanglefixOperationsKnob::configure (LarkspanBrio::BrioKnob& knob)
{
    knob.updateRange (0.0, 1.0, interval);
    knob.positionForParameterValue = positionForValue;
    knob.updateFromParameter();
}
