#include "BrioParameterBase.h"

#include <cmath>

namespace LarkspanBrio
{

namespace
{
    constexpr double valueFloor = 0.000001;
}

float BrioParameterBase::limitToUnitRange (float v) noexcept
{
    return v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f;
}

//==============================================================================
BrioParameterBase::BrioParameterBase (int index,
                                      const juce::String& name,
                                      int type,
                                      const juce::StringArray& choiceTexts,
                                      bool meta,
                                      bool automatable,
                                      bool discrete,
                                      float defaultNormalisedValue,
                                      ValueRange range)
    : juce::AudioProcessorParameterWithID (juce::ParameterID { juce::String (index) },
                                           name,
                                           juce::AudioProcessorParameterWithIDAttributes().withMeta (meta)
                                                                                          .withAutomatable (automatable)),
      defaultValue (defaultNormalisedValue),
      value (defaultNormalisedValue),
      displayType (type),
      isMeta (meta),
      isAutomatableFlag (automatable),
      isDiscreteFlag (discrete),
      rangeStart (range.start),
      rangeEnd (range.end),
      choices (choiceTexts),
      nameKey (name)
{
    // A frequency range must stay inside the audible band for its logarithmic mapping.
    if (displayType == displayFrequency)
    {
        if (rangeStart <= 20.0f)
            rangeStart = 20.0f;

        if (rangeEnd <= 20.0f)
        {
            rangeEnd = 20000.0f;

            if (rangeStart > 20000.0f)
                rangeStart = 20000.0f;
        }
    }
}

BrioParameterBase::~BrioParameterBase() = default;

//==============================================================================
float BrioParameterBase::getValue() const           { return value.load(); }
float BrioParameterBase::getDefaultValue() const    { return defaultValue; }
juce::String BrioParameterBase::getName (int) const { return name; }
bool BrioParameterBase::isDiscrete() const          { return isDiscreteFlag; }
bool BrioParameterBase::isAutomatable() const       { return isAutomatableFlag; }
bool BrioParameterBase::isMetaParameter() const     { return isMeta; }

void BrioParameterBase::setValue (float newValue)
{
    // Tiny leftovers of a drag or an automation curve read as a clean zero.
    const auto stored = (double) newValue > valueFloor ? newValue : 0.0f;
    value.exchange (stored);

    switch (displayType)
    {
        case displayPercent:
        case displayDecibelExp:
        case displayFrequency:
        case displayPlain:
        case displayPan:
        case displayOnOff:
        case displayOnOffButton:
            plainValue.setTarget (computePlainValue (stored));
            break;

        case displayDecibelSplit:
            setPlainValueType2 (stored);
            break;

        case displayChoiceList:
            choiceIndex = selectChoice (stored);
            break;

        default:
            break;
    }
}

int BrioParameterBase::getNumSteps() const
{
    switch (displayType)
    {
        case displayOnOff:
        case displayOnOffButton:
        case displayTwoChoices:
            return 2;

        case displayChoiceList:
            if (choices.size() > 1)
                return choices.size();
            break;

        default:
            break;
    }

    return juce::AudioProcessorParameter::getNumSteps();
}

//==============================================================================
float BrioParameterBase::exponentialCurve (float v) const noexcept
{
    const auto logStart = std::log (rangeStart);
    return std::exp (logStart + (std::log (rangeEnd) - logStart) * v);
}

float BrioParameterBase::splitCurve (float v) const noexcept
{
    const auto lo = rangeStart;
    const auto hi = rangeEnd;

    if (lo >= 1.0f)
        return exponentialCurve (v);

    if (hi <= 1.0f)
    {
        const auto root = (hi - lo) * v + lo;
        return root * root;
    }

    // Chosen by the value being mapped: the lower half reaches unity gain at 0.5.
    if (v <= 0.5f)
    {
        const auto root = 2.0f * (1.0f - lo) * v + lo;
        return root * root;
    }

    return 1.0f + 2.0f * (hi - 1.0f) * (v - 0.5f);
}

int BrioParameterBase::selectChoice (float v) const noexcept
{
    const auto numChoices = choices.size();

    if (numChoices == 0)
        return 0;

    const auto increment = numChoices > 1 ? 1.0 / (double) (numChoices - 1) : 0.01;
    const auto probe = (double) v + valueFloor;
    auto threshold = 0.0;
    auto selected = 0;

    for (int i = 0; i < numChoices; ++i)
    {
        if (probe >= threshold)
            selected = i;

        threshold += increment;
    }

    return selected;
}

float BrioParameterBase::computePlainValue (float v) const noexcept
{
    switch (displayType)
    {
        case displayDecibelSplit:
            return splitCurve (v);

        case displayDecibelExp:
        {
            const auto level = exponentialCurve (v);
            return std::isfinite (level) ? level : 1.0f;
        }

        case displayFrequency:
        case displayPlain:
            return exponentialCurve (v);

        case displayOnOff:
        case displayOnOffButton:
            return v > 0.5f ? 1.0f : 0.0f;

        default:
            return v;
    }
}

void BrioParameterBase::setPlainValueType2 (float v) noexcept
{
    plainValue.setTarget (splitCurve (v));
}

//==============================================================================
juce::String BrioParameterBase::getTextForDisplayType (float v) const
{
    switch (displayType)
    {
        case displayPercent:        return juce::String ((int) (v * 100.0f)) + "%";
        case displayDecibelSplit:   return getDecibelTextSigned (v);
        case displayDecibelExp:     return getDecibelText (v);
        case displayFrequency:      return getFrequencyText (v);
        case displayPlain:          return juce::String (plainValue.getTarget(), 2);
        case displayPan:            return getPanText (v);
        case displayOnOff:
        case displayOnOffButton:    return v > 0.5f ? "on" : "off";
        case displayTwoChoices:     return choices[v > 0.5f ? 1 : 0];
        case displayChoiceList:     return choices[v == -1.0f ? choiceIndex.load() : selectChoice (v)];
        default:                    return juce::String (v);
    }
}

juce::String BrioParameterBase::formatDecibelFigure (float level)
{
    // Silence and anything quieter than -100 dB share the floor, which reads as "-inf".
    const auto decibels = level > 0.0f ? juce::jmax (-100.0f, 20.0f * std::log10 (level)) : -100.0f;
    return juce::String (decibels, 1);
}

juce::String BrioParameterBase::formatDecibels (float level)
{
    const auto figure = formatDecibelFigure (level);

    if (figure.getFloatValue() > 0.0f)
        return "+" + figure + "dB";

    return (figure.contains ("-100") ? juce::String ("-inf ") : figure) + "dB";
}

juce::String BrioParameterBase::getDecibelTextSigned (float v) const
{
    return formatDecibels (splitCurve (v));
}

juce::String BrioParameterBase::getDecibelText (float v) const
{
    const auto level = exponentialCurve (v);
    return formatDecibels (std::isfinite (level) ? level : 1.0f);
}

juce::String BrioParameterBase::getFrequencyText (float v) const
{
    const auto hz = exponentialCurve (v);

    if (hz > 999.0f)
        return juce::String (hz / 1000.0f, 1) + "kHz";

    return juce::String ((int) hz) + "Hz";
}

juce::String BrioParameterBase::getPanText (float v) const
{
    const auto position = (int) (200.0f * v - 100.0f);

    if (position == 0)
        return "Center";

    return position < 0 ? juce::String (-position) + "L"
                        : juce::String (position) + "R";
}

//==============================================================================
float BrioParameterBase::getValueForTextForDisplayType (const juce::String& text) const
{
    switch (displayType)
    {
        case displayPercent:
            return limitToUnitRange (text.getFloatValue() / 100.0f);

        case displayDecibelSplit:
            return limitToUnitRange (levelToSplitValue (levelFromDecibelText (text)));

        case displayDecibelExp:
            return limitToUnitRange (levelToExponentialValue (levelFromDecibelText (text), true));

        case displayFrequency:
        case displayPlain:
        {
            // Kept unlimited so that a value beyond the range reaches the caller as such,
            // but a text without a positive number has no logarithm and gives 0.
            const auto number = text.getFloatValue();
            const auto v = number > 0.0f ? levelToExponentialValue (number, false) : 0.0f;
            return std::isfinite (v) ? v : 0.0f;
        }

        case displayPan:
            return getValueForPanText (text);

        case displayOnOff:
        case displayOnOffButton:
            return text.toLowerCase() == "on" ? 1.0f : 0.0f;

        case displayTwoChoices:
            return (float) juce::jmax (0, choices.indexOf (text));

        case displayChoiceList:
        {
            const auto index = choices.indexOf (text);

            if (index < 0 || choices.size() < 2)
                return 0.0f;

            return (float) index / (float) (choices.size() - 1);
        }

        default:
            return 0.0f;
    }
}

float BrioParameterBase::getValueForPanText (const juce::String& text) const
{
    const auto number = text.getFloatValue();
    float offset;

    if (text.containsIgnoreCase ("L"))
        offset = -number;
    else if (text.containsIgnoreCase ("R"))
        offset = number;
    else
        return 0.5f;

    auto v = limitToUnitRange (0.5f + 0.005f * offset);

    // The text truncates towards the centre, so a whole position whose value lands a hair
    // on the centre's side would read back one step less ("60R" as "59R"): step outwards
    // to the first value that shows it.
    if (std::abs (offset) <= 100.0f && offset == std::floor (offset))
    {
        const auto position = (int) offset;
        const auto outwards = offset < 0.0f ? -1.0f : 2.0f;

        while ((int) (200.0f * v - 100.0f) != position && v > 0.0f && v < 1.0f)
            v = std::nextafter (v, outwards);
    }

    return v;
}

float BrioParameterBase::levelFromDecibelText (const juce::String& text)
{
    // JUCE reads "-inf" as minus infinity, so the floor text parses back to silence.
    const auto decibels = text.getFloatValue();
    return decibels > -100.0f ? std::pow (10.0f, 0.05f * decibels) : 0.0f;
}

float BrioParameterBase::levelToExponentialValue (float level, bool clampLevel) const noexcept
{
    if (clampLevel)
        level = juce::jlimit (juce::jmin (rangeStart, rangeEnd), juce::jmax (rangeStart, rangeEnd), level);

    const auto logStart = std::log (rangeStart);
    return (std::log (level) - logStart) / (std::log (rangeEnd) - logStart);
}

float BrioParameterBase::levelToSplitValue (float level) const noexcept
{
    const auto lo = rangeStart;
    const auto hi = rangeEnd;

    if (lo >= 1.0f)
        return levelToExponentialValue (level, false);

    if (hi <= 1.0f)
        return (std::sqrt (level) - lo) / (hi - lo);

    if (level < 1.0f)
        return (std::sqrt (level) - lo) * 0.5f / (1.0f - lo);

    return (level - 1.0f) * 0.5f / (hi - 1.0f) + 0.5f;
}

} // namespace LarkspanBrio
