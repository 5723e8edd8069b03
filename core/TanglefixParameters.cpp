#include "TanglefixBrioParameter.h"

void TanglefixAudioProcessor::createParameters()
{
    struct Definition
    {
        const char* name;
        float defaultValue;
        int displayType;
        bool isDiscrete;
        BrioParameter* TanglefixAudioProcessor::* member;
    };

    // In id order: a parameter's id is its position here, and hosts store automation by id.
    const Definition definitions[] =
    {
        { "Frequency",  0.5f, BrioParameter::displayNone,        false, &TanglefixAudioProcessor::frequencyParam },
        { "Emphasis",   0.5f, BrioParameter::displayNone,        false, &TanglefixAudioProcessor::emphasisParam },
        { "Operations", 0.0f, BrioParameter::displayNone,        false, &TanglefixAudioProcessor::operationsParam },
        { "Gain",       0.5f, BrioParameter::displayNone,        false, &TanglefixAudioProcessor::gainParam },
        { "Mix",        0.5f, BrioParameter::displayNone,        false, &TanglefixAudioProcessor::mixParam },
        { "Bypass",     0.0f, BrioParameter::displayOnOffButton, true,  &TanglefixAudioProcessor::bypassParam }
    };

    int index = 0;

    for (const auto& definition : definitions)
    {
        auto parameter = std::make_unique<BrioParameter> (*this,
                                                          index++,
                                                          definition.name,
                                                          definition.displayType,
                                                          juce::StringArray(),
                                                          false,    // not a meta parameter
                                                          true,     // automatable
                                                          definition.isDiscrete,
                                                          definition.defaultValue,
                                                          BrioParameter::ValueRange { 0.0f, 1.0f });

        this->*definition.member = parameter.get();
        addParameter (parameter.release());
    }
}
