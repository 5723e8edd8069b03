#include "TanglefixBrioParameter.h"

#include <cmath>

namespace
{
    // exp (a * v + b) spans one band: b is ln of its lower edge, a the log width of the band.
    struct BandCurve
    {
        float a, b;
    };

    constexpr BandCurve bandCurves[TanglefixAudioProcessor::numBands] =
    {
        { 3.2188759f,  2.9957323f },    //    20 ..   500 Hz
        { 0.69114923f, 6.2166061f },    //   501 ..  1000 Hz
        { 1.6084380f,  6.9087548f },    //  1001 ..  5000 Hz
        { 1.3860941f,  8.5173931f }     //  5001 .. 20000 Hz
    };

    constexpr int numOperationsPatterns = 4;

    /** The patterns in index order, as the Operations control shows them. */
    juce::String getOperationsText (int index)
    {
        static const char* const texts[numOperationsPatterns] =
        {
            "+ \xc3\x97 +",
            "+ + \xc3\x97",
            "\xc3\x97 + +",
            "\xc3\x97 + \xc3\x97"
        };

        return juce::String (juce::CharPointer_UTF8 (texts[index]));
    }

    /** Reads the number a text starts with (after blanks). Returns false when there is
        none, so that callers can tell "0" from text that isn't a number at all. */
    bool readLeadingNumber (const juce::String& text, float& number)
    {
        const auto start = text.getCharPointer().findEndOfWhitespace();
        auto end = start;
        const auto parsed = juce::CharacterFunctions::readDoubleValue (end);

        if (end == start || std::isnan (parsed))
            return false;

        number = (float) parsed;
        return true;
    }

    /** A value beyond the range (hosts ask for the text of any value) reads as the
        nearest end, NaN as the lower one: the figure must fit an int. */
    juce::String paddedPercent (float v, const char* padding)
    {
        const auto limited = LarkspanBrio::BrioParameterBase::limitToUnitRange (v);
        return padding + juce::String ((int) (limited * 100.0f)) + "%" + padding;
    }
}

//==============================================================================
TanglefixAudioProcessor::BrioParameter::BrioParameter (TanglefixAudioProcessor& owner,
                                                       int index,
                                                       const juce::String& name,
                                                       int type,
                                                       const juce::StringArray& choiceTexts,
                                                       bool meta,
                                                       bool automatable,
                                                       bool discrete,
                                                       float defaultNormalisedValue,
                                                       ValueRange range)
    : BrioParameterBase (index, name, type, choiceTexts, meta, automatable, discrete, defaultNormalisedValue, range),
      processor (&owner),
      role (roleForName (name))
{
}

TanglefixAudioProcessor::BrioParameter::Role TanglefixAudioProcessor::BrioParameter::roleForName (const juce::String& name)
{
    if (name.equalsIgnoreCase ("Frequency"))   return Role::frequency;
    if (name.equalsIgnoreCase ("Emphasis"))    return Role::emphasis;
    if (name.equalsIgnoreCase ("Operations"))  return Role::operations;
    if (name.equalsIgnoreCase ("Gain"))        return Role::gain;
    if (name.equalsIgnoreCase ("Mix"))         return Role::mix;
    if (name.equalsIgnoreCase ("Bypass"))      return Role::bypass;
    return Role::other;
}

//==============================================================================
float TanglefixAudioProcessor::BrioParameter::gainForValue (float v) noexcept
{
    if (v <= 0.5f)
    {
        const auto root = 2.0f * v;
        return root * root;
    }

    return 1.0f + 6.0f * (v - 0.5f);
}

float TanglefixAudioProcessor::BrioParameter::valueForGain (float gain) noexcept
{
    if (! (gain > 0.0f))
        return 0.0f;

    if (gain <= 1.0f)
        return std::sqrt (gain) * 0.5f;

    return limitToUnitRange (0.5f + (gain - 1.0f) / 6.0f);
}

float TanglefixAudioProcessor::BrioParameter::bandCutoffForValue (int band, float v) noexcept
{
    const auto& curve = bandCurves[band];
    return std::exp (curve.a * v + curve.b);
}

float TanglefixAudioProcessor::BrioParameter::resonanceForValue (float v) noexcept
{
    // A gentle power curve: most of the knob's travel goes to audible emphasis, and the
    // top stays short of self-oscillation.
    return (float) (0.99 * (double) std::pow (v, 0.21f));
}

int TanglefixAudioProcessor::BrioParameter::operationsIndexForValue (float v) noexcept
{
    if (v < 0.25f)  return 0;
    if (v < 0.5f)   return 1;
    if (v < 0.75f)  return 2;
    return 3;
}

//==============================================================================
void TanglefixAudioProcessor::BrioParameter::setValue (float newValue)
{
    const auto v = limitToUnitRange (newValue);
    value.exchange (v);
    updateChain (v);
    BrioParameterBase::setValue (v);
}

void TanglefixAudioProcessor::BrioParameter::updateChain (float v) noexcept
{
    auto& owner = *processor;

    switch (role)
    {
        case Role::frequency:
            for (int band = 0; band < numBands; ++band)
                owner.bandFilters[band].setCutoff (bandCutoffForValue (band, v));
            break;

        case Role::emphasis:
        {
            const auto resonance = resonanceForValue (v);

            for (auto& filter : owner.bandFilters)
                filter.setResonance (resonance);

            break;
        }

        case Role::operations:  owner.operationsIndex.store (operationsIndexForValue (v), std::memory_order_relaxed); break;
        case Role::gain:        owner.gainSmoother.setTarget (gainForValue (v)); break;
        case Role::mix:         owner.mixSmoother.setTarget (v); break;
        case Role::bypass:      owner.crossfade.setBypassed (v >= 0.5f); break;
        case Role::other:       break;
    }
}

void TanglefixAudioProcessor::BrioParameter::updateChainFromValue() noexcept
{
    // Never writes the value: the host's automation thread may write it meanwhile, and a
    // write back of what was read before would undo that write without the host hearing
    // of it. A write that lands while the targets are derived is followed, so they end on
    // the last value; a few times only, as this may run on the audio thread (JUCE's AAX
    // wrapper re-prepares there) and writes need never pause. Any later write sets the
    // targets itself.
    constexpr int maxTries = 4;
    auto v = getValue();

    for (int i = 0; i < maxTries; ++i)
    {
        updateChain (v);
        const auto latest = getValue();

        if (latest == v)
            return;

        v = latest;
    }

    updateChain (v);
}

//==============================================================================
juce::String TanglefixAudioProcessor::BrioParameter::getText (float v, int) const
{
    switch (role)
    {
        // The blanks keep the knobs' value boxes centred on the figure.
        case Role::frequency:   return paddedPercent (v, "      ");
        case Role::emphasis:
        case Role::mix:         return paddedPercent (v, "   ");

        case Role::operations:
            if (v < 0.25f)  return getOperationsText (0);
            if (v < 0.5f)   return getOperationsText (1);
            if (v < 0.75f)  return getOperationsText (2);
            if (v <= 1.0f)  return getOperationsText (3);
            break;

        case Role::gain:        return getGainText (v);

        case Role::bypass:
        case Role::other:
            break;
    }

    return getTextForDisplayType (v);
}

juce::String TanglefixAudioProcessor::BrioParameter::getGainText (float v)
{
    // The gain setting v would give: hosts ask for the text of values other than the
    // current one (automation lanes, control surfaces, value-to-text requests).
    const auto figure = formatDecibelFigure (gainForValue (limitToUnitRange (v)));

    if (figure.getFloatValue() > 0.0f)
        return "+" + figure + "dB";

    juce::String shown (figure);

    if (figure.contains ("-100"))
        shown = "-inf ";
    else if (figure.equalsIgnoreCase ("-6.1"))
        shown = "-6.0";

    return " " + shown + "dB ";
}

//==============================================================================
/*  Typed text for the knob parameters: users type what the knobs show, with or without
    the blanks and units, or just the number. Text that holds nothing usable leaves the
    parameter where it is (the current value comes back), so a slip of the keyboard never
    throws a setting away.

      Frequency, Emphasis, Mix   "50%", "  50%  ", "50": percent, limited to 0..100
      Gain                       "+6.0dB", " -12.0dB ", "-6", " -inf dB ": decibels
      Operations                 the four pattern texts; blanks are optional and the
                                 multiplication sign may be typed as x, X or *

    Bypass and any other name use the generic parsing of their display type.
*/
float TanglefixAudioProcessor::BrioParameter::getValueForText (const juce::String& text) const
{
    switch (role)
    {
        case Role::frequency:
        case Role::emphasis:
        case Role::mix:         return getValueForPercentText (text);
        case Role::gain:        return getValueForGainText (text);
        case Role::operations:  return getValueForOperationsText (text);
        case Role::bypass:
        case Role::other:       break;
    }

    return getValueForTextForDisplayType (text);
}

float TanglefixAudioProcessor::BrioParameter::getValueForPercentText (const juce::String& text) const
{
    float percent = 0.0f;

    if (! readLeadingNumber (text, percent))
        return getValue();

    auto v = limitToUnitRange (percent / 100.0f);

    // The text truncates v * 100, so a whole percent whose quotient rounds a hair low
    // would read back one lower; step up to the first float that shows it.
    if (percent >= 0.0f && percent <= 100.0f && percent == std::floor (percent))
        while ((int) (v * 100.0f) < (int) percent)
            v = std::nextafter (v, 2.0f);

    return v;
}

float TanglefixAudioProcessor::BrioParameter::getValueForGainText (const juce::String& text) const
{
    float decibels = 0.0f;

    if (! readLeadingNumber (text, decibels))
        return getValue();

    // "-0.0dB" is what a gain a little below unity shows; aim inside that band so that
    // it reads back the same, rather than at unity, which shows "0.0dB".
    if (decibels == 0.0f && std::signbit (decibels))
        decibels = -0.025f;

    const auto gain = decibels > -100.0f ? std::pow (10.0f, 0.05f * decibels) : 0.0f;
    return valueForGain (gain);
}

float TanglefixAudioProcessor::BrioParameter::getValueForOperationsText (const juce::String& text) const
{
    const juce::juce_wchar times = 0xd7;
    juce::String typed;

    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto c = *p;

        if (juce::CharacterFunctions::isWhitespace (c))
            continue;

        typed += (c == 'x' || c == 'X' || c == '*') ? times : c;
    }

    for (int i = 0; i < numOperationsPatterns; ++i)
        if (typed == getOperationsText (i).removeCharacters (" "))
            return ((float) i + 0.5f) / (float) numOperationsPatterns;   // the middle of its band

    return getValue();
}
